# What differs between building with Qt 5.15 and with Qt 6, in one place.
# The top-level CMakeLists.txt has found Qt (QT_VERSION_MAJOR is 5 or 6).

# The window's documents: qml/qml.qrc holds those both versions share,
# qml/qt5.qrc or qml/qt6.qrc the few that must differ (the dialogs), under
# the same resource paths.
set(LUM_QML_RESOURCES
  ${PROJECT_SOURCE_DIR}/qml/qml.qrc
  ${PROJECT_SOURCE_DIR}/qml/qt${QT_VERSION_MAJOR}.qrc)

# Adds the window's documents to TARGET, compiled ahead of time where the
# Qt version's compiler is at hand: Qt 5's Qt Quick Compiler
# (qtquick_compiler_add_resources). Qt 6 compiles documents only inside a
# QML module; plain resources are compiled when loaded and cached on disk.
function(lum_add_qml_resources target)
  if(QT_VERSION_MAJOR EQUAL 5)
    find_package(Qt5QuickCompiler REQUIRED)
  endif()
  if(COMMAND qtquick_compiler_add_resources)
    qtquick_compiler_add_resources(compiled ${LUM_QML_RESOURCES})
    target_sources(${target} PRIVATE ${compiled})
  else()
    target_sources(${target} PRIVATE ${LUM_QML_RESOURCES})
  endif()
endfunction()
