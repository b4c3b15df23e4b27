# The man pages against what they describe: every long option that a
# command's --help lists is in zabrelo(1), so an option added to the command
# cannot go unmentioned there; and both pages are roff that groff reads
# without a warning.
set(page "${DOCS_DIR}/zabrelo.1")
file(READ "${page}" roff)
string(REPLACE "\\-" "-" roff "${roff}")  # roff writes every hyphen of an option as \-
set(missing)
foreach(command sort key compare check)
  execute_process(COMMAND "${TOOL}" ${command} --help RESULT_VARIABLE result OUTPUT_VARIABLE help)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "zabrelo ${command} --help failed (${result})")
  endif()
  string(REGEX MATCHALL "--[a-z][a-z0-9-]*" options "${help}")
  list(REMOVE_DUPLICATES options)
  foreach(option IN LISTS options)
    # Options hold only letters, digits and hyphens: no character to escape.
    if(NOT roff MATCHES "${option}([^a-z0-9-]|$)")
      list(APPEND missing "${command} ${option}")
    endif()
  endforeach()
endforeach()
if(missing)
  list(JOIN missing ", " missing)
  message(FATAL_ERROR "docs/zabrelo.1 does not describe what --help lists: ${missing}")
endif()

find_program(groff NAMES groff)
if(NOT groff)
  message(STATUS "groff not found: the pages' roff is not checked")
  return()
endif()
foreach(file "${page}" "${DOCS_DIR}/zabrelo-table.5")
  execute_process(COMMAND ${groff} -man -ww -z "${file}" RESULT_VARIABLE result ERROR_VARIABLE err)
  if(NOT result EQUAL 0 OR NOT err STREQUAL "")
    message(FATAL_ERROR "${file}: groff warns:\n${err}")
  endif()
endforeach()
