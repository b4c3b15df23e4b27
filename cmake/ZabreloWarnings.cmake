# zabrelo_set_warnings(target): the project's warning set, fatal with ZABRELO_WERROR.
function(zabrelo_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${ZABRELO_WERROR}>:/WX>)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wshadow
      $<$<BOOL:${ZABRELO_WERROR}>:-Werror>)
  endif()
endfunction()
