# Installing the layer: headers under include/rorodiv/, the library, the game and the packer
# under bin/, the documents, a CMake package (find_package(ROrodiv)) and rorodiv.pc (with
# rorodiv-static.pc when both kinds of library are built).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

file(GLOB ror_public_headers ${PROJECT_SOURCE_DIR}/media/include/*.h)
install(FILES ${ror_public_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/rorodiv)

set(ror_libraries rorodiv)
set(ror_pc_files rorodiv)
if(TARGET rorodiv_shared)
  list(APPEND ror_libraries rorodiv_shared)
  list(APPEND ror_pc_files rorodiv-static)
endif()
install(TARGETS ${ror_libraries} EXPORT ROrodivTargets
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

# pkg-config: rorodiv links the shared library; rorodiv-static names the archive itself, since
# with both in one folder `-lrorodiv` always finds the shared one. The prefix is found from
# the file's own place, so an installed tree may move.
string(REGEX REPLACE "[^/]+" ".." ror_pc_up_to_prefix ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
foreach(pc ${ror_pc_files})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ ${PROJECT_SOURCE_DIR}/examples DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(TARGET rorodiv_reference)
  install(DIRECTORY ${PROJECT_BINARY_DIR}/reference/html/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/reference)
endif()
