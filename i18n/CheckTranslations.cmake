# Runs lupdate on a copy of each .ts file: the copy must come out unchanged (no new and no
# unused texts) and hold no unfinished translation.
# cmake -DCOMMAND="lupdate|options...|-ts" -DTRANSLATIONS="a.ts|b.ts" -DWORK=dir -P CheckTranslations.cmake
string(REPLACE "|" ";" COMMAND "${COMMAND}")
string(REPLACE "|" ";" TRANSLATIONS "${TRANSLATIONS}")
file(REMOVE_RECURSE ${WORK})
foreach(ts IN LISTS TRANSLATIONS)
  get_filename_component(name ${ts} NAME)
  configure_file(${ts} ${WORK}/${name} COPYONLY)
  execute_process(COMMAND ${COMMAND} ${WORK}/${name} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "lupdate failed on ${name}")
  endif()
  file(READ ${ts} kept)
  file(READ ${WORK}/${name} current)
  if(NOT kept STREQUAL current)
    message(FATAL_ERROR "${name} is out of date with the sources: build kavendel_update_translations, "
                        "translate what it marks unfinished, and commit it (diff ${ts} ${WORK}/${name})")
  endif()
  string(FIND "${current}" "type=\"unfinished\"" unfinished)
  if(NOT unfinished EQUAL -1)
    message(FATAL_ERROR "${name} has unfinished translations")
  endif()
endforeach()
