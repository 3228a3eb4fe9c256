# Run by CPack once a package is made: puts it into dist/ at the top of the
# source tree, leaving CPack's work files in the build folder.
file(MAKE_DIRECTORY ${CPACK_VANTREL_DIST_DIR})
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  file(COPY ${package} DESTINATION ${CPACK_VANTREL_DIST_DIR})
  get_filename_component(name ${package} NAME)
  message(STATUS "Package: ${CPACK_VANTREL_DIST_DIR}/${name}")
endforeach()
