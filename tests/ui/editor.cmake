# The window translation component belongs to the language library; it is
# added here for as long as src/lang does not list it itself.
get_target_property(QUILLET_LANG_SOURCES quillet_lang SOURCES)
if(NOT "${QUILLET_LANG_SOURCES}" MATCHES "TLanguage\\.cpp")
    target_sources(quillet_lang PRIVATE ${CMAKE_SOURCE_DIR}/src/lang/TLanguage.cpp ${CMAKE_SOURCE_DIR}/src/lang/TLanguage.h)
endif()

add_unit_test(NAME test_ui_config_window SOURCES TestConfigWindow.cpp LIBS quillet_ui quillet_editor quillet_datatestsupport)
