# The editor benchmark loads the window's own QML documents.
lum_add_qml_resources(bench_editor_scale)

# The framework's floor for the start-up benchmark: the smallest Qt Quick
# Controls 2 window, started the same way as lum.
add_executable(bench-minimal-window ${CMAKE_CURRENT_SOURCE_DIR}/minimalwindow/main.cpp)
target_link_libraries(bench-minimal-window PRIVATE Qt::Gui Qt::Quick Qt::QuickControls2)

if(TARGET lum)
  target_compile_definitions(bench_startup PRIVATE LUM_PATH="$<TARGET_FILE:lum>"
    MINIMAL_WINDOW_PATH="$<TARGET_FILE:bench-minimal-window>")
  add_dependencies(bench_startup lum bench-minimal-window)
endif()
