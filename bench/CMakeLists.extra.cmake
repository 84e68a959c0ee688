# The editor benchmark loads the window's own QML documents.
target_sources(bench_editor_scale PRIVATE ${PROJECT_SOURCE_DIR}/qml/qml.qrc)

# The framework's floor for the start-up benchmark: the smallest Qt Quick
# Controls 2 window, started the same way as lum.
add_executable(bench-minimal-window ${CMAKE_CURRENT_SOURCE_DIR}/minimalwindow/main.cpp)
target_link_libraries(bench-minimal-window PRIVATE Qt5::Gui Qt5::Quick Qt5::QuickControls2)

if(TARGET lum)
  target_compile_definitions(bench_startup PRIVATE LUM_PATH="$<TARGET_FILE:lum>"
    MINIMAL_WINDOW_PATH="$<TARGET_FILE:bench-minimal-window>")
  add_dependencies(bench_startup lum bench-minimal-window)
endif()
