#pragma once

#include <QHash>
#include <QString>

class IniDocument;

// The values typed by hand that a site values file keeps, one section per
// control key with the keys Value and Type.
//
// An INI line holds no line break, so Value holds a multi-line value with
// each line break turned into a blank, as it always has; the exact text goes
// to MultiLineValue beside it, with "\n", "\r" and "\\" standing for LF, CR
// and a backslash. A section without MultiLineValue (every file written
// before it existed) reads as its Value, unchanged.
class SiteValues {
public:
    // Writes Value (and MultiLineValue where needed) and then Type to section key.
    static void write(IniDocument& values, const QString& key, const QString& value, const QString& type);

    // Every section's value, by the section's name case folded (as IniDocument::valuesOfKey).
    static QHash<QString, QString> read(const IniDocument& values);

    static QString escaped(const QString& text);
    static QString unescaped(const QString& text);
};
