#pragma once

#include <QByteArray>
#include <QString>

// Files that may come from the Windows world (site lists, templates, language
// files, settings edited by hand) are read as UTF-8 when they are valid UTF-8
// and as Windows-1252 otherwise. A UTF-8 byte order mark is dropped.
QString decodeText(const QByteArray& bytes);

// Decodes Windows-1252 (the Western single-byte code page of the Windows world).
QString decodeWindows1252(const QByteArray& bytes);
QString decodeWindows1252(QByteArrayView bytes);

// The inverse of decodeWindows1252: every text it gives turns back into the
// same bytes. A character outside the code page becomes "?".
QByteArray encodeWindows1252(QStringView text);

// Splits a text into lines that ended in CR LF, LF or CR. A final line break
// does not start another (empty) line.
QStringList splitLines(const QString& text);
