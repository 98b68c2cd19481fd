#pragma once

#include <QString>

// Text that came from outside (a server's reply, a status line, a file) made
// safe to print on a terminal or write into a log: every control character
// (C0, DEL, C1, the Unicode line and paragraph separators) becomes "?", so no
// escape sequence can reach the terminal and no line break can start a line
// of its own.
QString printableText(const QString& text);

// As printableText, but a line break (CR LF, CR or LF) becomes one blank
// rather than "?": for a value that is shown on one line of a log.
QString printableLine(const QString& text);
