# Builds the core for WebAssembly with Debian's emscripten (package
# `emscripten`), for the JavaScript package in js/:
#   cmake -S . -B build-wasm --toolchain cmake/toolchains/wasm32-emscripten.cmake
# The core raises and catches C++ exceptions inside itself (the file reader
# raises, the loader catches), so exceptions are on at every compile and link:
# WebAssembly's own exception handling, which costs nothing until something
# is thrown (Node 18 and every current browser have it). Emscripten's other
# way, through JavaScript, sends each call made while a destructor is
# pending out to JavaScript and back, and made keys several times slower.
find_program(ZABRELO_EM_CONFIG NAMES em-config REQUIRED)
execute_process(COMMAND ${ZABRELO_EM_CONFIG} EMSCRIPTEN_ROOT
  OUTPUT_VARIABLE ZABRELO_EMSCRIPTEN_ROOT OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
include("${ZABRELO_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")

set(CMAKE_C_FLAGS_INIT "-fwasm-exceptions")
set(CMAKE_CXX_FLAGS_INIT "-fwasm-exceptions")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fwasm-exceptions")
