# What `cmake --install` puts where (GNU directories: /usr/local by default, /usr in the Debian
# package), and the Debian package CPack builds from the same rules:
#   lib/<multiarch>/libquillet.so.9.40, .so.9 (SONAME), .so   include/quillet.h, quillet_status.h,
#   quillet_families.h   lib/<multiarch>/pkgconfig/quillet.pc   lib/<multiarch>/cmake/quillet/  (find_package(quillet))
#   bin/quillet, bin/quillet-vreader   share/man/man1/   share/doc/quillet/   the Python package
include(CMakePackageConfigHelpers)

# Installing (and CPack) takes what is built and does not first bring the whole tree up to date:
# build, then install (`make package` and `make test-install` do both).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(QUILLET_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/quillet)
# Where the Python package goes: Debian's directory for modules of every Python 3 version.
set(QUILLET_PYTHON_DIR lib/python3/dist-packages CACHE STRING "Install directory of the Python package")

install(TARGETS quillet EXPORT quillet-targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Unspecified)
install(FILES ${PROJECT_SOURCE_DIR}/include/quillet.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/quillet_status.h ${PROJECT_SOURCE_DIR}/include/quillet_families.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
foreach(program quillet-vreader quillet-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# pkg-config: `pkg-config --cflags --libs quillet`
file(RELATIVE_PATH QUILLET_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" QUILLET_PC_TO_PREFIX "${QUILLET_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/quillet.pc.in ${PROJECT_BINARY_DIR}/quillet.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quillet.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# CMake: find_package(quillet) gives the imported target quillet::quillet.
install(EXPORT quillet-targets NAMESPACE quillet:: DESTINATION ${QUILLET_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/quillet-config.cmake.in
  ${PROJECT_BINARY_DIR}/quillet-config.cmake INSTALL_DESTINATION ${QUILLET_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/quillet-config-version.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/quillet-config.cmake ${PROJECT_BINARY_DIR}/quillet-config-version.cmake
  DESTINATION ${QUILLET_CMAKE_DIR})

# Documentation: the guides, the man pages, and the API reference when `make docs` has built it.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}
  FILES_MATCHING PATTERN "*.md" PATTERN "man" EXCLUDE PATTERN "screenshots" EXCLUDE)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/man/ DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 FILES_MATCHING PATTERN "*.1")
install(DIRECTORY ${PROJECT_BINARY_DIR}/docs/api/html/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/api OPTIONAL)

if(TARGET quillet-python)
  install(DIRECTORY ${PROJECT_BINARY_DIR}/python/quillet DESTINATION ${QUILLET_PYTHON_DIR}
    FILES_MATCHING PATTERN "*.py" PATTERN "__pycache__" EXCLUDE)
endif()

# The Debian package: one package with the library, its development files, the tools and the
# Python package. `cpack -G DEB` in the build directory; the file is quillet_9.40_<arch>.deb.
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VENDOR "Quillet")
set(CPACK_PACKAGE_CONTACT "Quillet developers <quillet@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "driver library for contact IC card readers on a serial or parallel port")
set(CPACK_PACKAGE_DESCRIPTION "Quillet drives contact IC card readers: reader services, memory, security\n\
and crypto memory cards. The package holds the shared library libquillet, its C header,\n\
pkg-config and CMake package files, the command-line tool quillet, the virtual reader\n\
quillet-vreader and the Python package quillet.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# a shlibs file, and ldconfig after installing so that the loader finds libquillet.so.9
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3")
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_STRIP_FILES ON)
include(CPack)
