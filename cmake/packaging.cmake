# Installing and packaging: the three programs into bin/, the desktop entry
# and the icons where desktops look for them, the documentation into
# share/doc/lum; CPack makes a Debian package (Linux) or a ZIP and an NSIS
# installer (Windows) from the same rules. The preset "package" configures a
# build of only what is installed (no tests, no benchmarks) in
# build-package/, where "cpack -G DEB" builds and packs just that.
include(GNUInstallDirs)

install(TARGETS lum RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(UNIX)
  install(TARGETS lumctl lum-devsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(WIN32)
  # The Qt libraries, plugins and QML modules go beside lum.exe when it is
  # installed, so the installed folder, the ZIP and the installer run on a
  # machine without Qt.
  get_target_property(lum_qmake Qt${QT_VERSION_MAJOR}::qmake IMPORTED_LOCATION)
  get_filename_component(lum_qt_bin "${lum_qmake}" DIRECTORY)
  find_program(LUM_WINDEPLOYQT windeployqt HINTS "${lum_qt_bin}")
  if(LUM_WINDEPLOYQT)
    install(CODE "
      execute_process(COMMAND \"${LUM_WINDEPLOYQT}\" --qmldir \"${PROJECT_SOURCE_DIR}/qml\"
                        --no-translations \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/lum.exe\"
                      RESULT_VARIABLE lum_deployed)
      if(NOT lum_deployed EQUAL 0)
        message(FATAL_ERROR \"windeployqt failed: \${lum_deployed}\")
      endif()")
  else()
    message(WARNING "windeployqt not found beside qmake: the installed lum.exe will lack the Qt libraries")
  endif()
endif()

if(UNIX AND NOT APPLE)
  install(FILES app/lum.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size 16 32 48 64 128 256)
    install(FILES app/icons/lum-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
      RENAME lum.png)
  endforeach()
  install(FILES app/icons/lum.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

set(lum_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/lum)
install(FILES
  README.md
  docs/development.md
  docs/lumctl.md
  docs/performance.md
  docs/reliability.md
  docs/series.md
  docs/anlagen.csv
  docs/simulator.md
  docs/terminal.md
  docs/ui.md
  docs/lum-window.png
  DESTINATION ${lum_doc_dir})
install(FILES sim/menus/README.md DESTINATION ${lum_doc_dir} RENAME menus.md)
install(FILES sim/menus/demo.menu DESTINATION ${lum_doc_dir})

if(UNIX AND NOT APPLE)
  # What a Debian system expects of every package: the copyright in
  # share/doc/<package>/copyright, the changelog beside it and the manual
  # pages, compressed with gzip at its best and without a time stamp in the
  # header (gzip -9n). They are compressed when CMake configures the build
  # and again whenever one of them changes.
  install(FILES packaging/debian/copyright DESTINATION ${lum_doc_dir})
  set(lum_gzipped_dir ${CMAKE_CURRENT_BINARY_DIR}/gzipped)
  file(MAKE_DIRECTORY ${lum_gzipped_dir})
  function(lum_install_gzipped source destination name)
    set(target ${lum_gzipped_dir}/${name}.gz)
    execute_process(COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/${source}
                    OUTPUT_FILE ${target} RESULT_VARIABLE gzipped)
    if(NOT gzipped EQUAL 0)
      message(FATAL_ERROR "gzip could not compress ${source}")
    endif()
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                 ${PROJECT_SOURCE_DIR}/${source})
    install(FILES ${target} DESTINATION ${destination})
  endfunction()
  lum_install_gzipped(packaging/debian/changelog ${lum_doc_dir} changelog)
  foreach(program lum lumctl lum-devsim)
    lum_install_gzipped(packaging/man/${program}.1 ${CMAKE_INSTALL_MANDIR}/man1 ${program}.1)
  endforeach()
endif()

set(CPACK_PACKAGE_NAME lum)
set(CPACK_PACKAGE_VENDOR "Kestrom Elektronik GmbH")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kestrom Elektronik GmbH <lum@kestrom-elektronik.example>")
set(CPACK_PACKAGE_INSTALL_DIRECTORY LUM)
set(CPACK_PACKAGE_EXECUTABLES lum LUM)
set(CPACK_STRIP_FILES ON)
# Folders in the package are rwxr-xr-x whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  set(CPACK_GENERATOR ZIP NSIS)
  set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/app/icons/lum.ico)
  set(CPACK_NSIS_INSTALLED_ICON_NAME bin/lum.exe)
  set(CPACK_NSIS_DISPLAY_NAME LUM)
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  # The extended description below the summary (the project's description):
  # what the package holds, the simulator named for what it is.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "LUM programmiert Aufzugsnotrufgeräte (EN 81-28) über ihre
Programmierschnittstelle und einen USB-Seriell-Adapter. Das Fenster lum
zeigt Anzeige und Tastatur des Geräts, liest sein Konfigurationsmenü
selbsttätig aus, lässt die Einstellungen bearbeiten, als .lumc-Datei
speichern und laden und überträgt die markierten Einstellungen zurück;
lumctl tut dasselbe auf der Kommandozeile.
.
lum-devsim ist der Trainingssimulator: ein simuliertes Gerät an einem
Pseudo-Terminal, mit dem sich LUM ohne echtes Gerät üben und testen lässt
(lum-devsim(1)).")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE_URL "https://kestrom-elektronik.example")
  # The Qt libraries the programs link, and the QML modules that the window's
  # documents import at run time (QtQuick.Dialogs brings the two Qt.labs
  # modules its file dialog is made of). A missing QML module only shows
  # when the window loads, so CI starts the installed window.
  string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6"
    "libstdc++6"
    "libqt5core5a (>= 5.15)"
    "libqt5gui5 (>= 5.15)"
    "libqt5widgets5 (>= 5.15)"
    "libqt5qml5 (>= 5.15)"
    "libqt5quick5 (>= 5.15)"
    "libqt5quickcontrols2-5 (>= 5.15)"
    "libqt5serialport5 (>= 5.15)"
    "libqt5xml5 (>= 5.15)"
    "qml-module-qtquick2"
    "qml-module-qtquick-window2"
    "qml-module-qtquick-controls2"
    "qml-module-qtquick-templates2"
    "qml-module-qtquick-controls"
    "qml-module-qtquick-dialogs"
    "qml-module-qtquick-privatewidgets"
    "qml-module-qtquick-layouts"
    "qml-module-qt-labs-folderlistmodel"
    "qml-module-qt-labs-settings")
  # Qt's German texts: lumctl and lum-devsim then give the command-line
  # parser's messages in German, like their own.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qttranslations5-l10n")
endif()

include(CPack)
