# What `cmake --install` puts where, and the Debian package `cpack` builds.
install(TARGETS quillet RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET quillet-convert)
  install(TARGETS quillet-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The tips file may not exist yet in an older checkout; install it when it does.
if(EXISTS ${PROJECT_SOURCE_DIR}/data/QuickTips.op)
  install(FILES data/QuickTips.op DESTINATION ${QUILLET_INSTALL_DATADIR})
endif()

install(FILES data/quillet.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/icons/quillet.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES data/icons/quillet-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME quillet.png)
endforeach()

foreach(page quillet quillet-convert)
  configure_file(data/man/${page}.1 ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1 @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# Packaging and installing take the build as it is and never start one: a
# package test must not rebuild a tree that other tests are running from.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VENDOR "Tallowmere")
set(CPACK_PACKAGE_CONTACT "Quillet developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
# The build keeps debug information; the package does not need it.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
# dpkg-shlibdeps works out the Qt and Hunspell libraries from the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The editing control's layout derives from a class of Qt's private
# interface, which holds only for the Qt release it was built against.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-base-abi (= ${Qt6Gui_VERSION})")
# A dictionary, so spell checking works out of the box.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hunspell-en-us | hunspell-dictionary")
# The summary is the synopsis line; this is the long description under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillet opens, edits, formats and saves Rich Text and plain-text documents in
a multiple-document window, with find and replace, printing, spell checking
over Hunspell, full-screen writing and live line and word counts.
quillet-convert converts between Rich Text and plain text on the command line.")
include(CPack)
