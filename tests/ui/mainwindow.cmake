add_unit_test(NAME test_ui_main_window SOURCES TestMainWindow.cpp LIBS quillet_ui quillet_datatestsupport TIMEOUT 300)
add_unit_test(NAME test_ui_smoke SOURCES TestSmoke.cpp LIBS quillet_testsupport TIMEOUT 300)
set_property(TEST test_ui_smoke APPEND PROPERTY ENVIRONMENT "QUILLET_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
add_unit_test(NAME test_ui_submission_run SOURCES TestSubmissionRunWindow.cpp
              LIBS quillet_ui quillet_datatestsupport quillet_pagetestkit quillet_smtptestsupport TIMEOUT 300)
