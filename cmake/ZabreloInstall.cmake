# Installs the library, its public headers and a CMake package, so that a
# consumer writes find_package(Zabrelo CONFIG REQUIRED) and links Zabrelo::zabrelo.
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
