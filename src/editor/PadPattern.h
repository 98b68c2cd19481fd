#pragma once

#include <QRegularExpression>
#include <QString>

// The PAD format's field patterns are written for Perl. This is the one
// place that turns such a pattern into a QRegularExpression.
namespace PadPattern {

// The pattern as QRegularExpression reads it with Perl's meaning: "\Z" (end
// of the text, or just before one final line break) is spelt out as
// "(?=\n?\z)", so it cannot depend on how the engine treats "\Z" or on
// matching options; every other escape, "\\Z" included, is kept as it is.
// "\xbc" and the like name decoded characters (U+00BC), as QString holds them.
QString translate(const QString& perlPattern);

// The translated pattern, compiled. An invalid pattern gives an invalid
// expression (see isValid()).
QRegularExpression compile(const QString& perlPattern);

// Whether the whole value matches: the pattern's own anchors decide.
bool matches(const QRegularExpression& expression, const QString& value);

} // namespace PadPattern
