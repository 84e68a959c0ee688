# The editor benchmarks load the window's own QML documents, compiled ahead
# of time as the program carries them.
find_package(Qt5QuickCompiler REQUIRED)
qtquick_compiler_add_resources(bench_qml_resources ${PROJECT_SOURCE_DIR}/qml/qml.qrc)
target_sources(bench_editor_scale PRIVATE ${bench_qml_resources})

# The framework's floor for the start-up benchmark: the smallest Qt Quick
# Controls 2 window, started the same way as lum.
add_executable(bench-minimal-window ${CMAKE_CURRENT_SOURCE_DIR}/minimalwindow/main.cpp)
target_link_libraries(bench-minimal-window PRIVATE Qt5::Gui Qt5::Quick Qt5::QuickControls2)

if(TARGET lum)
  target_compile_definitions(bench_startup PRIVATE LUM_PATH="$<TARGET_FILE:lum>"
    MINIMAL_WINDOW_PATH="$<TARGET_FILE:bench-minimal-window>")
  add_dependencies(bench_startup lum bench-minimal-window)
endif()
