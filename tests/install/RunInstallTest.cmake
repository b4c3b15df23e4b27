# Installs the build into a temporary prefix, then configures, builds and
# runs the consumer project against it; then moves the prefix and runs the C
# consumer, which must find the default table installed beside the moved
# library; builds the C consumer again with nothing but pkg-config's flags
# for the moved prefix, and renders the installed man pages. Fails on the
# first step that fails. With TOOLCHAIN_FILE the
# consumers are cross-built and run under EMULATOR ("|"-separated), finding
# zabrelo.dll and its runtime in the prefix's bin/.
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")

function(run_step)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "step failed (${result}): ${ARGV}\n${out}\n${err}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

set(config_args)
if(CONFIG)
  set(config_args --config ${CONFIG})
endif()
run_step(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}" ${config_args})
set(consumer_args "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
  "-DCMAKE_C_COMPILER=${C_COMPILER}")
set(emulator)
if(TOOLCHAIN_FILE)
  list(APPEND consumer_args "-DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE}" "-DCMAKE_FIND_ROOT_PATH=${prefix}")
  string(REPLACE "|" ";" emulator "${EMULATOR}")
  set(ENV{WINEPATH} "${prefix}/bin")
endif()
run_step(${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${WORK_DIR}/build" ${consumer_args})
run_step(${CMAKE_COMMAND} --build "${WORK_DIR}/build" ${config_args})

file(WRITE "${WORK_DIR}/table.txt" "FA=tiny\r\n[0627][1,2,3]\r\n")
find_program(consumer NAMES consumer consumer.exe PATHS "${WORK_DIR}/build" "${WORK_DIR}/build/${CONFIG}" NO_DEFAULT_PATH)
run_step(${emulator} "${consumer}" "${WORK_DIR}/table.txt" "${WORK_DIR}/missing.txt")
message(STATUS "${step_output}")

# The install moved elsewhere: the C interface's default table is the one
# in the new place, found from the library's own file.
set(moved "${WORK_DIR}/moved-prefix")
file(RENAME "${prefix}" "${moved}")
unset(ENV{ZABRELO_TABLE})
set(ENV{LD_LIBRARY_PATH} "${moved}/lib")
if(TOOLCHAIN_FILE)
  set(ENV{WINEPATH} "${moved}/bin")
endif()
find_program(c_consumer NAMES c-consumer c-consumer.exe PATHS "${WORK_DIR}/build" "${WORK_DIR}/build/${CONFIG}"
  NO_DEFAULT_PATH)
run_step(${emulator} "${c_consumer}")
message(STATUS "${step_output}")
if(NOT step_output MATCHES "moved-prefix[/\\\\][a-z]+[/\\\\]\\.\\.[/\\\\]share[/\\\\]zabrelo[/\\\\]UrduCOdepage\\.txt")
  message(FATAL_ERROR "the C interface did not take the moved install's table: ${step_output}")
endif()

# Natively, what a user without CMake does: pkg-config's flags for the moved
# prefix, and the man pages as man shows them. A machine without pkg-config,
# man or groff skips that part and says so.
if(TOOLCHAIN_FILE)
  return()
endif()
find_program(pkg_config NAMES pkg-config pkgconf)
if(pkg_config)
  set(ENV{PKG_CONFIG_PATH} "${moved}/${LIBDIR}/pkgconfig")
  run_step(${pkg_config} --cflags --libs zabrelo)
  string(STRIP "${step_output}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  run_step(${C_COMPILER} -std=c99 "${SOURCE_DIR}/c_consumer.c" ${flags} -o "${WORK_DIR}/pkg-config-consumer")
  run_step("${WORK_DIR}/pkg-config-consumer")
  message(STATUS "built with pkg-config: ${step_output}")
else()
  message(STATUS "pkg-config not found: the client built with its flags is not tried")
endif()

find_program(man NAMES man)
find_program(groff NAMES groff)
if(man AND groff)
  set(ENV{MANWIDTH} 80)
  foreach(page man1/zabrelo.1 man5/zabrelo-table.5)
    set(file "${moved}/${MANDIR}/${page}")
    if(NOT EXISTS "${file}")
      message(FATAL_ERROR "not installed: ${MANDIR}/${page}")
    endif()
    # groff's warnings name roff mistakes that man's rendering would hide.
    execute_process(COMMAND ${groff} -man -ww -z "${file}" RESULT_VARIABLE result ERROR_VARIABLE err)
    execute_process(COMMAND ${man} -l "${file}" RESULT_VARIABLE man_result OUTPUT_VARIABLE out ERROR_VARIABLE man_err)
    if(NOT result EQUAL 0 OR NOT err STREQUAL "" OR NOT man_result EQUAL 0 OR NOT man_err STREQUAL ""
       OR NOT out MATCHES "NAME")
      message(FATAL_ERROR "${page} does not render cleanly:\n${err}${man_err}\n${out}")
    endif()
  endforeach()
else()
  message(STATUS "man or groff not found: the man pages are not rendered")
endif()
