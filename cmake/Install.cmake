# Installing Sonovane like any desktop program, and its Debian package.
#
#   <prefix>/bin/sonovane                                   the program
#   <prefix>/bin/sonovane-plugin-helper                     runs plug-ins in a process of their own
#   <prefix>/bin/sonovane-effect-helper                     runs LADSPA and LV2 effects in one of their own
#   <prefix>/lib/sonovane/plugins/*.txf                     the plug-in kit
#   <prefix>/include/sonovane/sonovane_plugin.h             the public plug-in header
#   <prefix>/share/doc/sonovane/plugins.md                  the plug-in authors' guide
#   <prefix>/share/applications/org.example.Sonovane.desktop
#   <prefix>/share/metainfo/org.example.Sonovane.metainfo.xml
#   <prefix>/share/icons/hicolor/scalable/apps/sonovane.svg
#
# The program finds its installed plug-ins relative to itself (app/PluginFolder), so the
# tree works under any prefix and under DESTDIR.

include(GNUInstallDirs)
# Installing and packaging take what is built: `make install` and `make deb` build the
# program and its kit first, not the whole test suite.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(SONOVANE_APP_ID org.example.Sonovane)
set(SONOVANE_HOMEPAGE "https://sonovane.example.org" CACHE STRING
  "Where the project publishes its pages; the package metadata's screenshot lies there")
set(SONOVANE_INSTALL_PLUGINDIR lib/sonovane/plugins CACHE STRING
  "Plug-in folder, relative to the installation prefix")

# The program learns the plug-in folder as a path relative to its own folder.
file(RELATIVE_PATH SONOVANE_PLUGIN_SUBFOLDER
  /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${SONOVANE_INSTALL_PLUGINDIR})
set_property(SOURCE app/PluginFolder.cpp APPEND PROPERTY COMPILE_DEFINITIONS
  SONOVANE_PLUGIN_SUBFOLDER="${SONOVANE_PLUGIN_SUBFOLDER}")

install(TARGETS sonovane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The plug-in helper lies beside the program, which looks for it there.
install(TARGETS sonovane_plugin_helper sonovane_effect_helper RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES plugins/sonovane_plugin.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sonovane)
install(FILES docs/plugins.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/sonovane)

install(FILES resources/${SONOVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(resources/${SONOVANE_APP_ID}.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/${SONOVANE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${SONOVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/sonovane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The kit's targets are defined further down in CMakeLists.txt: install them once the
# whole file has been read, whatever the kit holds by then.
function(sonovane_install_kit)
  if(NOT SONOVANE_KIT_PLUGINS)
    message(FATAL_ERROR "The plug-in kit (SONOVANE_KIT_PLUGINS) is not defined")
  endif()
  install(TARGETS ${SONOVANE_KIT_PLUGINS} LIBRARY DESTINATION ${SONOVANE_INSTALL_PLUGINDIR})
endfunction()
cmake_language(DEFER CALL sonovane_install_kit)

# A test installs into a temporary prefix and checks the tree and its desktop files.
add_test(NAME install COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/check_install.sh
  ${CMAKE_BINARY_DIR} ${SONOVANE_APP_ID} ${SONOVANE_PLUGIN_SUBFOLDER})
set_tests_properties(install PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)
add_test(NAME install.deb COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/check_deb.sh ${CMAKE_BINARY_DIR})
set_tests_properties(install.deb PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)

# --- the Debian package: `make deb` (cpack -G DEB) ------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sonovane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvex")
set(CPACK_PACKAGE_CONTACT "Sonovane developers <sonovane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for short sound effects")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Sonovane opens WAV files in any common encoding, converts each to one\n"
  "working format and lists it. Cut and shape a sound in the working pane,\n"
  "compose the final wave from pieces, play anything once or looped and save\n"
  "the final wave. Filter plug-ins add further edits; a kit of them comes\n"
  "with the program.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${SONOVANE_HOMEPAGE})
# Shared libraries are found by dpkg-shlibdeps. Listed by hand only what the program
# loads without linking it: the toolkit's SVG plug-ins that draw every icon, its German
# texts; and the link label's helper.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n")
# A few effect packages, so the Effects menu is not empty on a fresh desktop.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, swh-plugins, tap-plugins, cmt, mda-lv2")
include(CPack)
