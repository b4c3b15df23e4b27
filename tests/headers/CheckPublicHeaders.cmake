# Fails when a public header names wchar_t or pulls in <windows.h>: wchar_t
# is 16 bits on Windows and 32 elsewhere, and a client should not inherit the
# Windows API's macros (min, max, ...) by including the library's headers.
file(GLOB headers "${INCLUDE_DIR}/zabrelo/*.h")
if(NOT headers)
  message(FATAL_ERROR "no public headers under ${INCLUDE_DIR}/zabrelo")
endif()
set(offenders)
foreach(header IN LISTS headers)
  file(STRINGS "${header}" lines REGEX "wchar_t|#[ \t]*include[ \t]*[<\"]windows\\.h")
  foreach(line IN LISTS lines)
    list(APPEND offenders "${header}: ${line}")
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n" report)
  message(FATAL_ERROR "public headers must stay free of wchar_t and <windows.h>:\n${report}")
endif()
