# Run by CPack once the packages are made: each .deb gets the Installed-Size
# Debian's own tools would give it, whatever filesystem built it.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.deb$")
    execute_process(COMMAND ${CPACK_BLOCKDROP_PACKAGING_DIR}/installed-size.sh ${package}
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
