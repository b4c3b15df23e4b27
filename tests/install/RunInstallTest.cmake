# Installs the build into a temporary prefix, then configures, builds and
# runs the consumer project against it; then moves the prefix and runs the C
# consumer, which must find the default table installed beside the moved
# library. Fails on the first step that fails. With TOOLCHAIN_FILE the
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
