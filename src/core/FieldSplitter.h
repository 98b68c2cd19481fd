#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// Splits a separated line into its fields in one pass: field i of the result
// is exactly what getField(line, separator, i) gives (a field may be enclosed
// in double quotes, inside which separators do not separate and a doubled
// double quote stands for one; blanks and control characters around a field
// are removed), and fields past the end of the line are null strings. Only
// the first count fields are made; the rest of the line is not looked at.
// The separator is not the double quote.
//
// This is the entry point for reading one line of a site list (sites.csv).
QStringList splitFields(const QString& line, QChar separator, int count);
