#pragma once

#include <QString>
#include <QStringList>

// Writes lines of sites.csv as the site list merge reads them: 16
// comma-separated fields per line (0 to 12 the site's central data, 13 and 14
// empty, 15 the dead mark), no header, CR LF line ends, UTF-8.
//
// The merge's field reader takes a field enclosed in double quotes whole,
// reads a doubled double quote inside as one, and drops blanks and control
// characters around a field. A field is therefore written bare when it holds
// neither comma nor quote, and quoted with its quotes doubled otherwise
// (a field of quotes only needs two more quotes around it, because the
// reader pairs the opening quote with the first quote of the text). A line
// break cannot be written inside a field: it is written as a blank.
class SiteListCsv {
public:
    static constexpr int FieldCount = 16;
    static constexpr int DeadField = 15;

    // What value reads back as from a line of sites.csv: line breaks made
    // blanks, blanks and control characters trimmed at both ends.
    static QString oneLine(const QString& value);

    // One field as written; value should already be oneLine's result.
    static QString field(const QString& value);

    // A whole line (without its line end) from up to FieldCount values, each
    // passed through oneLine and field; missing fields are empty.
    static QString line(const QStringList& values);

    static QString boolean(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }
};
