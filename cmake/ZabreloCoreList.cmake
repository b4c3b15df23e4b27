# Reads src/core.list, the one list of the core's sources and settings
# (its header says what each kind of entry means), into
#   ZABRELO_CORE_SOURCES   the sources, as absolute paths
#   ZABRELO_CORE_STANDARD  the C++ standard
#   ZABRELO_CORE_DEFINES   the definitions
#   ZABRELO_CORE_FLAGS     the GCC and Clang flags
# The optimization entries are left to the build type. CMake configures
# again when the file changes.
function(zabrelo_read_core_list file)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
  file(STRINGS "${file}" entries REGEX "^[a-z]+: ")
  set(sources "")
  set(standard "")
  set(defines "")
  set(flags "")
  foreach(entry IN LISTS entries)
    string(REGEX MATCH "^([a-z]+): (.*)$" _ "${entry}")
    set(kind "${CMAKE_MATCH_1}")
    set(value "${CMAKE_MATCH_2}")
    if(kind STREQUAL "source")
      list(APPEND sources "${PROJECT_SOURCE_DIR}/${value}")
    elseif(kind STREQUAL "standard")
      set(standard "${value}")
    elseif(kind STREQUAL "define")
      list(APPEND defines "${value}")
    elseif(kind STREQUAL "flag")
      list(APPEND flags "${value}")
    elseif(NOT kind STREQUAL "optimize")
      message(FATAL_ERROR "${file}: unknown entry '${entry}'")
    endif()
  endforeach()
  if(NOT sources OR NOT standard)
    message(FATAL_ERROR "${file} lists no sources or no standard")
  endif()
  set(ZABRELO_CORE_SOURCES "${sources}" PARENT_SCOPE)
  set(ZABRELO_CORE_STANDARD "${standard}" PARENT_SCOPE)
  set(ZABRELO_CORE_DEFINES "${defines}" PARENT_SCOPE)
  set(ZABRELO_CORE_FLAGS "${flags}" PARENT_SCOPE)
endfunction()
