add_unit_test(NAME test_ui_keyboard_focus SOURCES TestKeyboardAndFocus.cpp RealKeyboard.h FocusedDesktop.h LIBS quillet_ui quillet_datatestsupport TIMEOUT 300)
add_unit_test(NAME test_ui_program_following SOURCES TestProgramFollowing.cpp RealKeyboard.h FocusedDesktop.h LIBS quillet_ui quillet_datatestsupport TIMEOUT 300)
add_unit_test(NAME test_ui_pane_and_help SOURCES TestPaneAndHelp.cpp LIBS quillet_ui quillet_datatestsupport TIMEOUT 300)
add_unit_test(NAME test_ui_quiet_start SOURCES TestQuietStart.cpp LIBS quillet_core TIMEOUT 300)
