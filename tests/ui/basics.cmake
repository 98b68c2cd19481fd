# The window translation component belongs to the language library; it is
# added here for as long as src/lang does not list it itself.
get_target_property(QUILLET_LANG_SOURCES quillet_lang SOURCES)
if(NOT "${QUILLET_LANG_SOURCES}" MATCHES "TLanguage\\.cpp")
    target_sources(quillet_lang PRIVATE ${CMAKE_SOURCE_DIR}/src/lang/TLanguage.cpp ${CMAKE_SOURCE_DIR}/src/lang/TLanguage.h)
endif()

add_unit_test(NAME test_ui_completing_combo SOURCES TestCompletingComboBox.cpp LIBS quillet_ui)
add_unit_test(NAME test_ui_report_window SOURCES TestReportWindow.cpp LIBS quillet_ui quillet_datatestsupport)
add_unit_test(NAME test_ui_basic_windows SOURCES TestBasicWindows.cpp LIBS quillet_ui)
