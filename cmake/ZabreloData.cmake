# The default Urdu table: installed beside the library's other shared data,
# and copied next to built programs so that Initialize() finds it from there.
set(ZABRELO_DEFAULT_TABLE_SOURCE "${PROJECT_SOURCE_DIR}/data/UrduCOdepage.txt")
install(FILES "${ZABRELO_DEFAULT_TABLE_SOURCE}" DESTINATION ${CMAKE_INSTALL_DATADIR}/zabrelo)

# zabrelo_copy_default_table(dir): a byte-exact copy in `dir`, under the
# same name, renewed when the source changes (configure_file re-runs CMake
# on a change).
function(zabrelo_copy_default_table dir)
  get_filename_component(name "${ZABRELO_DEFAULT_TABLE_SOURCE}" NAME)
  configure_file("${ZABRELO_DEFAULT_TABLE_SOURCE}" "${dir}/${name}" COPYONLY)
endfunction()
