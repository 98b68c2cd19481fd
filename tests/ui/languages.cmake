add_unit_test(NAME test_ui_shipped_languages SOURCES TestShippedLanguages.cpp
              LIBS quillet_ui quillet_datatestsupport TIMEOUT 300)
set_property(TEST test_ui_shipped_languages APPEND PROPERTY ENVIRONMENT
             "QUILLET_LANGUAGE_SOURCES=${PROJECT_SOURCE_DIR}/lang")
