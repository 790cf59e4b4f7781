# Release builds take the hardening flags that dpkg-buildflags gives with every hardening feature
# on: _FORTIFY_SOURCE, the stack protector, format checks, relro and bind-now. The build type
# keeps its own optimisation level and debug information, so -O2 and -g are left out.
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found: Release builds go without Debian's hardening flags")
  return()
endif()

function(kavendel_debian_flags kind out)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${DPKG_BUILDFLAGS} --get ${kind}
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(O[0-9sgz]?|g)$")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

kavendel_debian_flags(CPPFLAGS KAVENDEL_CPPFLAGS)
kavendel_debian_flags(CXXFLAGS KAVENDEL_CXXFLAGS)
kavendel_debian_flags(LDFLAGS KAVENDEL_LDFLAGS)
target_compile_options(kavendel_warnings INTERFACE
                       "$<$<CONFIG:Release>:${KAVENDEL_CPPFLAGS};${KAVENDEL_CXXFLAGS}>")
target_link_options(kavendel_warnings INTERFACE "$<$<CONFIG:Release>:${KAVENDEL_LDFLAGS}>")
