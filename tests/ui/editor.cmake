add_unit_test(NAME test_ui_editor_window SOURCES TestEditorWindow.cpp LIBS quillet_ui quillet_editor quillet_datatestsupport)
add_unit_test(NAME test_ui_pad_editor SOURCES TestPadEditor.cpp LIBS quillet_ui quillet_editor quillet_datatestsupport TIMEOUT 300)
set_property(TEST test_ui_pad_editor APPEND PROPERTY ENVIRONMENT "QUILLET_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
add_dependencies(test_ui_pad_editor quillet-cli)
