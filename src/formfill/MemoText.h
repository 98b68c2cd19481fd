#pragma once

#include <QString>

// How a multi-line value of the program meets the same text in a page. The
// program stores a multi-line value with CR LF after every line, so a
// non-empty one ends in a line break; a page reports a text area's value with
// LF line breaks and without that final break, and a site that counts the
// characters of a field must not see it either.
class MemoText {
public:
    // True when text holds a line break (CR or LF).
    static bool isMultiLine(const QString& text);

    // text with every CR LF and every lone CR turned into LF, then one final
    // LF removed. Everything else stays as it is.
    static QString normalised(const QString& text);

    // Whether a page's value and a stored value are the same text. When
    // neither holds a line break they are compared exactly (same length, same
    // characters, case-sensitive); otherwise both are compared normalised.
    static bool sameText(const QString& pageValue, const QString& storedValue);

    // What is sent to a page for a stored value: the value without the one
    // final line break (CR LF, LF or CR) that the storing rule adds. The line
    // breaks inside are left to the page, which takes each as one.
    static QString forPage(const QString& storedValue);
};
