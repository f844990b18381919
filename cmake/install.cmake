# Installing the layer: headers under include/rorodiv/, the library, the game and the packer
# under bin/, the documents, a CMake package (find_package(ROrodiv)) and rorodiv.pc.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

file(GLOB ror_public_headers ${CMAKE_SOURCE_DIR}/media/include/*.h)
install(FILES ${ror_public_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/rorodiv)

install(TARGETS rorodiv EXPORT ROrodivTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vexholm zazpack RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(ror_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/ROrodiv)
install(EXPORT ROrodivTargets NAMESPACE ROrodiv:: DESTINATION ${ror_cmake_dir})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/ROrodivConfig.cmake.in
  ${CMAKE_BINARY_DIR}/ROrodivConfig.cmake INSTALL_DESTINATION ${ror_cmake_dir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/ROrodivConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/ROrodivConfig.cmake ${CMAKE_BINARY_DIR}/ROrodivConfigVersion.cmake
  DESTINATION ${ror_cmake_dir})

# pkg-config: what a static link needs goes into the .private fields. The prefix is found
# from the file's own place, so an installed tree may move.
string(REGEX REPLACE "[^/]+" ".." ror_pc_up_to_prefix ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
configure_file(${CMAKE_SOURCE_DIR}/cmake/rorodiv.pc.in ${CMAKE_BINARY_DIR}/rorodiv.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/rorodiv.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ examples DESTINATION ${CMAKE_INSTALL_DOCDIR})
