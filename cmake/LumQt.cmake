# What differs between building with Qt 5.15 and with Qt 6, in one place.
# The top-level CMakeLists.txt has found Qt (QT_VERSION_MAJOR is 5 or 6).

# The window's documents: qml/qml.qrc holds those both versions share,
# qml/qt5.qrc or qml/qt6.qrc the few that must differ (the dialogs), under
# the same resource paths.
set(LUM_QML_RESOURCES
  ${PROJECT_SOURCE_DIR}/qml/qml.qrc
  ${PROJECT_SOURCE_DIR}/qml/qt${QT_VERSION_MAJOR}.qrc)

# Reads FILE.qrc into a list of "resource-path|source-path" pairs: the qrc
# files stay the one list of the window's documents for both versions.
function(lum_read_qrc qrc out)
  get_filename_component(dir ${qrc} DIRECTORY)
  file(STRINGS ${qrc} lines REGEX "<file[ >]")
  set(found)
  foreach(line IN LISTS lines)
    string(REGEX MATCH "<file( alias=\"([^\"]+)\")?[^>]*>([^<]+)</file>" _ "${line}")
    set(alias "${CMAKE_MATCH_2}")
    set(source "${CMAKE_MATCH_3}")
    if(alias STREQUAL "")
      set(alias "${source}")
    endif()
    list(APPEND found "${alias}|${dir}/${source}")
  endforeach()
  set(${out} ${${out}} ${found} PARENT_SCOPE)
endfunction()

# Adds the window's documents to TARGET, compiled ahead of time by the Qt
# version's own compiler. Qt 5: the Qt Quick Compiler over the qrc files.
# Qt 6 compiles documents only inside a QML module, so the executable gets
# one whose files sit at the same resource paths as Qt 5's (qrc:/main.qml,
# qrc:/orvui/...), which the program and the tests load.
function(lum_add_qml_resources target)
  if(QT_VERSION_MAJOR EQUAL 5)
    find_package(Qt5QuickCompiler REQUIRED)
    qtquick_compiler_add_resources(compiled ${LUM_QML_RESOURCES})
    target_sources(${target} PRIVATE ${compiled})
    return()
  endif()
  set(pairs)
  foreach(qrc IN LISTS LUM_QML_RESOURCES)
    lum_read_qrc(${qrc} pairs)
  endforeach()
  set(documents)
  set(resources)
  foreach(pair IN LISTS pairs)
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 alias)
    list(GET pair 1 source)
    set_source_files_properties(${source} PROPERTIES QT_RESOURCE_ALIAS ${alias})
    if(source MATCHES "\\.qml$")
      list(APPEND documents ${source})
    else()
      list(APPEND resources ${source})
    endif()
  endforeach()
  qt_add_qml_module(${target} URI LumWindow VERSION 1.0
    RESOURCE_PREFIX / NO_RESOURCE_TARGET_PATH
    QML_FILES ${documents} RESOURCES ${resources})
endfunction()
