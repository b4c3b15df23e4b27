# Installs the library, its public headers, a CMake package and a pkg-config
# file, so that a consumer writes find_package(Zabrelo CONFIG REQUIRED) and
# links Zabrelo::zabrelo, or compiles with `pkg-config --cflags --libs
# zabrelo`; and the man pages and the license. zabrelo is MIT-licensed.
include(CMakePackageConfigHelpers)

install(TARGETS zabrelo EXPORT ZabreloTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES
  include/zabrelo/Export.h
  include/zabrelo/ZabreloLib.h
  include/zabrelo/VantorException.h
  include/zabrelo/FileReader.h
  include/zabrelo/zabrelo.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zabrelo)

set(ZABRELO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Zabrelo)
install(EXPORT ZabreloTargets NAMESPACE Zabrelo:: DESTINATION ${ZABRELO_CMAKE_DIR})
configure_package_config_file(cmake/ZabreloConfig.cmake.in
  "${PROJECT_BINARY_DIR}/ZabreloConfig.cmake"
  INSTALL_DESTINATION ${ZABRELO_CMAKE_DIR})
write_basic_package_version_file("${PROJECT_BINARY_DIR}/ZabreloConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/ZabreloConfig.cmake"
  "${PROJECT_BINARY_DIR}/ZabreloConfigVersion.cmake"
  DESTINATION ${ZABRELO_CMAKE_DIR})

# pkg-config finds zabrelo.pc beside the CMake package, in lib/pkgconfig.
set(ZABRELO_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
foreach(_zabrelo_pc_path PREFIX LIBDIR INCLUDEDIR)
  if(_zabrelo_pc_path STREQUAL "PREFIX")
    set(_zabrelo_pc_target "${CMAKE_INSTALL_PREFIX}")
  else()
    set(_zabrelo_pc_target "${CMAKE_INSTALL_FULL_${_zabrelo_pc_path}}")
  endif()
  file(RELATIVE_PATH ZABRELO_PC_${_zabrelo_pc_path} "${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig" "${_zabrelo_pc_target}")
  string(REGEX REPLACE "/$" "" ZABRELO_PC_${_zabrelo_pc_path} "${ZABRELO_PC_${_zabrelo_pc_path}}")
  if(ZABRELO_PC_${_zabrelo_pc_path} STREQUAL "")
    set(ZABRELO_PC_${_zabrelo_pc_path} ".")
  endif()
endforeach()
# A library built with sanitizers needs their runtime in every program that
# links it, as the CMake package's interface link options say too.
set(ZABRELO_PC_LINK_EXTRA "")
if(NOT _zabrelo_sanitize STREQUAL "")
  set(ZABRELO_PC_LINK_EXTRA " -fsanitize=${_zabrelo_sanitize}")
endif()
configure_file(cmake/zabrelo.pc.in "${PROJECT_BINARY_DIR}/zabrelo.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/zabrelo.pc" DESTINATION ${ZABRELO_PKGCONFIG_DIR})

install(FILES docs/zabrelo.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES docs/zabrelo-table.5 DESTINATION ${CMAKE_INSTALL_MANDIR}/man5)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zabrelo)
