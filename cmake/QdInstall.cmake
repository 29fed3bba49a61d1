# Install rules and the Debian package (cpack -G DEB). Runtime files only: the tests, the
# benchmarks and the developer tools stay in the build folder.
include(GNUInstallDirs)

install(TARGETS qdclient qd-peer
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        BUNDLE DESTINATION .)

set(QD_APP_ID local.qdclient.QDClient)
install(FILES packaging/${QD_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${QD_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/icons/qdclient.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256 512)
  install(FILES resources/icons/hicolor/${size}x${size}/apps/qdclient.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Debian keeps a package's license texts and change log in /usr/share/doc/<package>; the
# fonts built into the program bring the SIL Open Font License with them.
set(QD_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/qdclient)
install(FILES packaging/copyright resources/fonts/OFL.txt DESTINATION ${QD_DOC_DIR})

# Manual pages and the change log go in compressed, as Debian policy asks (gzip -9n: no
# name or time stamp inside, so the package builds the same twice).
find_program(QD_GZIP gzip)
if(QD_GZIP)
  set(compressed)
  foreach(source packaging/qdclient.1 packaging/qd-peer.1 packaging/changelog)
    get_filename_component(name ${source} NAME)
    set(out ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
    add_custom_command(OUTPUT ${out}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
                       COMMAND ${QD_GZIP} -9nc ${CMAKE_SOURCE_DIR}/${source} > ${out}
                       DEPENDS ${CMAKE_SOURCE_DIR}/${source})
    list(APPEND compressed ${out})
  endforeach()
  add_custom_target(qd_packaging_docs ALL DEPENDS ${compressed})
  install(FILES ${CMAKE_BINARY_DIR}/packaging/qdclient.1.gz ${CMAKE_BINARY_DIR}/packaging/qd-peer.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${QD_DOC_DIR})
endif()

set(CPACK_PACKAGE_NAME qdclient)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "QD Client developers")
# The package's maintainer: set QD_PACKAGE_MAINTAINER to a real address before publishing.
set(QD_PACKAGE_MAINTAINER "QD Client developers <qdclient@qdclient.invalid>" CACHE STRING
    "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${QD_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "touch palette for entering Byzantine music notation")
# CPack puts the summary on the control file's first line and indents the rest itself.
set(CPACK_PACKAGE_DESCRIPTION
    "QD Client is a full-screen touch palette for Byzantine music notation.\n\
Every tap on a sign sends the sign's command word over the local network to\n\
the notation program, Server QD, which the client finds by itself with a UDP\n\
broadcast probe.\n\n\
The package also holds qd-peer, a small stand-in for Server QD that prints\n\
every command word it receives.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
