# Fails while a text of the program has no English. lupdate brings the
# sources' texts into a copy of the .ts file (the file itself is left
# alone): a new or changed German text arrives there unfinished.
#   cmake -DLUPDATE=... -DSOURCE_DIR=... -DTS=... -DWORK=... -P check_translations.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
get_filename_component(name ${TS} NAME)
set(copy ${WORK}/${name})
file(COPY_FILE ${TS} ${copy})
execute_process(
  COMMAND ${LUPDATE} -silent -extensions cpp,h -no-obsolete -locations none ${SOURCE_DIR}/src -ts ${copy}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "lupdate failed (${rc})")
endif()
file(READ ${copy} ts)
# One message per list entry; a message is missing its English when its
# translation is unfinished or empty.
string(REPLACE ";" "\\;" ts "${ts}")
string(REGEX MATCHALL "<message>.*</message>" all "${ts}")
string(REGEX REPLACE "</message>[^<]*<message>" "</message>;<message>" messages "${all}")
set(missing "")
foreach(m IN LISTS messages)
  if(m MATCHES "type=\"unfinished\"" OR m MATCHES "<translation></translation>" OR m MATCHES "<translation/>")
    string(REGEX MATCH "<source>[^<]*" source "${m}")
    string(REPLACE "<source>" "" source "${source}")
    string(APPEND missing "\n  ${source}")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "No English in ${name} for:${missing}\n"
                      "Run: cmake --build --preset default --target update_translations, then translate them.")
endif()
message(STATUS "Every text has its English in ${name}")
