# zabrelo_export_only(target map): on Linux, links `target` with the linker
# version script `map`, so that only the symbols it names leave the shared
# object (not the standard-library templates the core instantiates), and
# relinks when the script changes. Elsewhere the export macros decide alone.
function(zabrelo_export_only target map)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    target_link_options(${target} PRIVATE "LINKER:--version-script=${map}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${map}")
  endif()
endfunction()
