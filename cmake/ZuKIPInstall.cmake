# Install layout and packaging. The build tree mirrors the installed layout
# (bin/zukip, lib/zukip/ZuKIP.so and its ZuKIPDialog.so, share/zukip/base with
# the packing tool in its Program(x64), share/zukip/printer-sim), so that zukip
# finds its module and sample base folder relative to itself in both, and
# never through a path of the tree it was built in.
set(ZUKIP_BIN_DIR bin)
set(ZUKIP_MODULE_DIR lib/zukip)
set(ZUKIP_BASE_DIR share/zukip/base)
set(ZUKIP_SIMULATOR_DIR share/zukip/printer-sim)
file(RELATIVE_PATH ZUKIP_MODULE_FROM_PROGRAM /prefix/${ZUKIP_BIN_DIR} /prefix/${ZUKIP_MODULE_DIR}/ZuKIP.so)
file(RELATIVE_PATH ZUKIP_BASE_FROM_PROGRAM /prefix/${ZUKIP_BIN_DIR} /prefix/${ZUKIP_BASE_DIR})
file(RELATIVE_PATH ZUKIP_SIMULATOR_FROM_PROGRAM /prefix/${ZUKIP_BIN_DIR} /prefix/${ZUKIP_SIMULATOR_DIR}/printer_sim.py)

# The dialog library lies beside the module, which finds it there.
set_target_properties(ZuKIP ZuKIPDialog PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${ZUKIP_MODULE_DIR})
install(TARGETS ZuKIP ZuKIPDialog LIBRARY DESTINATION ${ZUKIP_MODULE_DIR})

# The sample base folder: its description files and templates, copied into the
# build tree whenever one of them changes.
set(ZUKIP_SAMPLE_SOURCE ${CMAKE_SOURCE_DIR}/examples/base/OutputDrivers)
file(GLOB_RECURSE zukip_sample_files CONFIGURE_DEPENDS ${ZUKIP_SAMPLE_SOURCE}/*)
set(zukip_sample_stamp ${CMAKE_BINARY_DIR}/${ZUKIP_BASE_DIR}.stamp)
add_custom_command(OUTPUT ${zukip_sample_stamp}
                   COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/${ZUKIP_BASE_DIR}/OutputDrivers
                   COMMAND ${CMAKE_COMMAND} -E copy_directory ${ZUKIP_SAMPLE_SOURCE}
                           ${CMAKE_BINARY_DIR}/${ZUKIP_BASE_DIR}/OutputDrivers
                   COMMAND ${CMAKE_COMMAND} -E touch ${zukip_sample_stamp}
                   DEPENDS ${zukip_sample_files}
                   COMMENT "Copying the sample base folder")
add_custom_target(zukip_sample_base ALL DEPENDS ${zukip_sample_stamp})
install(DIRECTORY ${ZUKIP_SAMPLE_SOURCE} DESTINATION ${ZUKIP_BASE_DIR})

install(FILES README.md DESTINATION share/doc/zukip)

# A Debian package of the same layout under /usr: cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zukip)
set(CPACK_PACKAGE_VENDOR "ZuKIP")
set(CPACK_PACKAGE_CONTACT "ZuKIP developers <zukip@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Printer-driver module for KIP wide-format printers, with its host program zukip")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
