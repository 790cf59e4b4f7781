# The English interface. The Japanese texts in the sources are the source texts; each .ts file
# here holds one language's translations. lrelease compiles them at build time into .qm files,
# which are compiled into the program as resources under :/i18n/.
#
# Debian ships lrelease and lupdate in qt6-l10n-tools; the CMake package Qt6LinguistTools
# comes only with qt6-tools-dev, which brings Designer, Assistant and Qt Quick along, so the
# tools are called here directly.

set(KAVENDEL_TRANSLATIONS ${CMAKE_CURRENT_LIST_DIR}/kavendel_en.ts)
set(KAVENDEL_TRANSLATED_DIRS adjust app base cpurecord discovery games hive image info maint platform regedit4 roundtrip settings store vms)

find_program(KAVENDEL_LRELEASE NAMES lrelease lrelease-qt6
             HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS}"
             REQUIRED)
find_program(KAVENDEL_LUPDATE NAMES lupdate lupdate-qt6
             HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS}")

# Compiles the translations into target as resources.
function(kavendel_add_translations target)
  set(qm_files)
  # lrelease makes no folder; Ninja makes the outputs' folders, but Unix Makefiles do not.
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/i18n)
  foreach(ts IN LISTS KAVENDEL_TRANSLATIONS)
    get_filename_component(base ${ts} NAME_WE)
    set(qm ${CMAKE_CURRENT_BINARY_DIR}/i18n/${base}.qm)
    add_custom_command(OUTPUT ${qm}
                       COMMAND ${KAVENDEL_LRELEASE} -silent -nounfinished ${ts} -qm ${qm}
                       DEPENDS ${ts}
                       COMMENT "Compiling ${base}.ts")
    list(APPEND qm_files ${qm})
  endforeach()
  qt_add_resources(${target} kavendel_translations PREFIX /i18n BASE ${CMAKE_CURRENT_BINARY_DIR}/i18n
                   FILES ${qm_files})
endfunction()

# `cmake --build build --target kavendel_update_translations` brings the .ts files up to date
# with the sources' texts; new texts come in unfinished, texts no longer used go. The test
# translations_complete fails until that has been done and every text has its translation.
if(KAVENDEL_LUPDATE)
  list(TRANSFORM KAVENDEL_TRANSLATED_DIRS PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE dirs)
  set(KAVENDEL_LUPDATE_COMMAND ${KAVENDEL_LUPDATE} -silent -locations none -no-obsolete -source-language ja
                               -target-language en ${dirs} -ts)
  add_custom_target(kavendel_update_translations COMMAND ${KAVENDEL_LUPDATE_COMMAND} ${KAVENDEL_TRANSLATIONS}
                    VERBATIM)
endif()
