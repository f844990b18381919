# Installing the layer: headers under include/rorodiv/, the library, the game and the packer
# under bin/, the documents, a CMake package (find_package(ROrodiv)) and rorodiv.pc.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

file(GLOB ror_public_headers ${PROJECT_SOURCE_DIR}/media/include/*.h)
install(FILES ${ror_public_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/rorodiv)

install(TARGETS rorodiv EXPORT ROrodivTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(program vexholm zazpack)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(ror_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/ROrodiv)
install(EXPORT ROrodivTargets NAMESPACE ROrodiv:: DESTINATION ${ror_cmake_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ROrodivConfig.cmake.in
  ${PROJECT_BINARY_DIR}/ROrodivConfig.cmake INSTALL_DESTINATION ${ror_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ROrodivConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ROrodivConfig.cmake ${PROJECT_BINARY_DIR}/ROrodivConfigVersion.cmake
  DESTINATION ${ror_cmake_dir})

# pkg-config: what a static link needs goes into the .private fields. The prefix is found
# from the file's own place, so an installed tree may move.
string(REGEX REPLACE "[^/]+" ".." ror_pc_up_to_prefix ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
configure_file(${PROJECT_SOURCE_DIR}/cmake/rorodiv.pc.in ${PROJECT_BINARY_DIR}/rorodiv.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/rorodiv.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ ${PROJECT_SOURCE_DIR}/examples DESTINATION ${CMAKE_INSTALL_DOCDIR})
