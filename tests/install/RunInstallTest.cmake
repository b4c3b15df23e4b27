# Installs the build into a temporary prefix, then configures, builds and
# runs the consumer project against it. Fails on the first step that fails.
# With TOOLCHAIN_FILE the consumer is cross-built and runs under EMULATOR
# ("|"-separated), finding zabrelo.dll and its runtime in the prefix's bin/.
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
set(consumer_args "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}")
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
