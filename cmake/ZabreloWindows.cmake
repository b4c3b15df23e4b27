# Windows layout: the library is zabrelo.dll (import library libzabrelo.dll.a),
# and every executable and DLL of the build lands in bin/ beside the compiler's
# runtime DLLs, so each one starts (under Windows or Wine) without PATH changes.
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/bin")

# MinGW's C++ runtime stays shared: an exception thrown in zabrelo.dll and
# caught in the client crosses modules only when both use one libgcc unwinder
# and one libstdc++. The client ships these DLLs with zabrelo.dll.
set(ZABRELO_RUNTIME_DLLS)
if(MINGW)
  foreach(dll libgcc_s_dw2-1.dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
      OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(IS_ABSOLUTE "${found}" AND EXISTS "${found}")
      get_filename_component(found "${found}" REALPATH)
      list(APPEND ZABRELO_RUNTIME_DLLS "${found}")
    endif()
  endforeach()
  file(COPY ${ZABRELO_RUNTIME_DLLS} DESTINATION "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
endif()
if(ZABRELO_RUNTIME_DLLS)
  install(FILES ${ZABRELO_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
