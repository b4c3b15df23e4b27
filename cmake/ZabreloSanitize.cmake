# Sanitizer and fuzzing builds. ZABRELO_SANITIZE (e.g. "address,undefined" or
# "thread") instruments every target of the build; any finding aborts, so a
# test run fails on it. ZABRELO_FUZZ (clang) instruments everything for
# libFuzzer with address and undefined checks; fuzz/ links the fuzzers.
set(ZABRELO_SANITIZE "" CACHE STRING
  "Sanitizers for every target, as -fsanitize= takes them (address,undefined or thread)")

set(_zabrelo_sanitize "${ZABRELO_SANITIZE}")
if(ZABRELO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZABRELO_FUZZ needs clang (e.g. -DCMAKE_CXX_COMPILER=clang++-14)")
  endif()
  if(_zabrelo_sanitize STREQUAL "")
    set(_zabrelo_sanitize "address,undefined")
  endif()
  # Coverage for the code under test; the fuzzers add libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(NOT _zabrelo_sanitize STREQUAL "")
  if(MSVC)
    message(FATAL_ERROR "ZABRELO_SANITIZE is for GCC and clang")
  endif()
  set(ZABRELO_SANITIZE_FLAGS
    -fsanitize=${_zabrelo_sanitize} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${ZABRELO_SANITIZE_FLAGS} -g)
  add_link_options(-fsanitize=${_zabrelo_sanitize})
endif()

# zabrelo_sanitize_consumers(target): programs linking an instrumented
# shared library need the sanitizer runtime loaded first, so the installed
# package hands the link flag on to them.
function(zabrelo_sanitize_consumers target)
  if(NOT _zabrelo_sanitize STREQUAL "")
    target_link_options(${target} INTERFACE -fsanitize=${_zabrelo_sanitize})
  endif()
endfunction()
