add_unit_test(NAME test_ui_form_preview SOURCES TestFormPreview.cpp LIBS quillet_ui quillet_datatestsupport quillet_pagetestkit TIMEOUT 300)
add_unit_test(NAME test_ui_form_refill SOURCES TestFormRefill.cpp RealKeyboard.h FocusedDesktop.h
              LIBS quillet_ui quillet_datatestsupport quillet_pagetestkit TIMEOUT 300)
