# The manual page, made from its scdoc source, and the documents Debian wants in
# /usr/share/doc/kavendel: the changelog and README compressed, the copyright file as it is.
find_program(SCDOC scdoc REQUIRED)
find_program(GZIP gzip REQUIRED)
find_program(DPKG_PARSECHANGELOG dpkg-parsechangelog REQUIRED)

set(KAVENDEL_CHANGELOG ${CMAKE_CURRENT_SOURCE_DIR}/changelog)
execute_process(COMMAND ${DPKG_PARSECHANGELOG} --file ${KAVENDEL_CHANGELOG} --show-field Version
                OUTPUT_VARIABLE KAVENDEL_CHANGELOG_VERSION OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
if(NOT KAVENDEL_CHANGELOG_VERSION STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog's latest entry is ${KAVENDEL_CHANGELOG_VERSION}, "
                      "the project is ${PROJECT_VERSION}: add an entry for this version")
endif()
# The manual's date is the latest changelog entry's, so that the same source gives the same page.
execute_process(COMMAND ${DPKG_PARSECHANGELOG} --file ${KAVENDEL_CHANGELOG} --show-field Timestamp
                OUTPUT_VARIABLE KAVENDEL_CHANGELOG_TIME OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

set(KAVENDEL_MANUAL_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/kavendel.1.scd)
configure_file(kavendel.1.scd.in ${KAVENDEL_MANUAL_SOURCE} @ONLY)
set(KAVENDEL_MANUAL ${CMAKE_CURRENT_BINARY_DIR}/kavendel.1)
add_custom_command(OUTPUT ${KAVENDEL_MANUAL}.gz
                   COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${KAVENDEL_CHANGELOG_TIME}
                           sh -c "${SCDOC} < kavendel.1.scd > kavendel.1"
                   COMMAND ${GZIP} -9nf kavendel.1
                   DEPENDS ${KAVENDEL_MANUAL_SOURCE}
                   WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} VERBATIM)

set(KAVENDEL_DOCS ${CMAKE_CURRENT_BINARY_DIR}/doc)
add_custom_command(OUTPUT ${KAVENDEL_DOCS}/changelog.gz ${KAVENDEL_DOCS}/README.md.gz
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${KAVENDEL_DOCS}
                   COMMAND sh -c "${GZIP} -9nc '${KAVENDEL_CHANGELOG}' > '${KAVENDEL_DOCS}/changelog.gz'"
                   COMMAND sh -c "${GZIP} -9nc '${PROJECT_SOURCE_DIR}/README.md' > '${KAVENDEL_DOCS}/README.md.gz'"
                   DEPENDS ${KAVENDEL_CHANGELOG} ${PROJECT_SOURCE_DIR}/README.md VERBATIM)
add_custom_target(kavendel_docs ALL DEPENDS ${KAVENDEL_MANUAL}.gz ${KAVENDEL_DOCS}/changelog.gz
                                            ${KAVENDEL_DOCS}/README.md.gz)

install(FILES ${KAVENDEL_MANUAL}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${KAVENDEL_DOCS}/changelog.gz ${KAVENDEL_DOCS}/README.md.gz copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kavendel)
