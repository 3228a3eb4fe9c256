# Run by CPack once the zip is made: builds the Windows installer from the
# zip's own files, so that the two hold the same programs byte for byte, and
# adds it to the packages that copy_to_dist.cmake, run next, puts into dist/.
set(installers "")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.zip$")
    string(REGEX REPLACE "\\.zip$" ".msi" installer "${package}")
    execute_process(
      COMMAND ${CPACK_VANTREL_MAKE_MSI} ${package} ${CPACK_PACKAGE_VERSION} ${installer}
      RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "The Windows installer ${installer} could not be made")
    endif()
    message(STATUS "Windows installer: ${installer}")
    list(APPEND installers ${installer})
  endif()
endforeach()
list(APPEND CPACK_PACKAGE_FILES ${installers})
