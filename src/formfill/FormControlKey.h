#pragma once

#include "FormSnapshot.h"

#include <QString>

// How capture and fill name a page control in form maps and values files.
class FormControlKey {
public:
    // text without leading and trailing blanks and control characters
    static QString trimBlanks(const QString& text);

    // The name attribute with every "[" and "]" removed ("os[]" gives "os").
    static QString strippedName(const FormControl& control);

    // True for the types "checkbox" and "radio" (exact, case-sensitive).
    static bool isCheckable(const QString& type);

    // Whether the control can be keyed at all: it has a name or an id. A
    // control with neither is never captured and never filled.
    static bool hasKey(const FormControl& control);

    // The control key: the stripped name, or for a control without a name its
    // id; for check boxes and radio buttons followed directly by the trimmed
    // value ("os[]" with value "Win" gives "osWin").
    static QString of(const FormControl& control);
};
