#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

// Returns list + " AND " + condition, or the condition alone when list is empty.
QString appendCondition(const QString& list, const QString& condition);

// Appends line and CR LF to fileName (created when missing). On an I/O error
// shows "Could not access <file>" titled "Access Error" and returns false.
bool appendLineToFile(const QString& fileName, const QString& line);

// The file name of path cut before the first occurrence of its extension;
// empty for a name without extension.
QString fileNameWithoutExt(const QString& path);

// Field index (from 0) of a sep-separated line with double-quote quoting.
QString getField(const QString& line, QChar sep, int index);

// 0 for an empty line, else 1 + the separators outside double quotes.
int countFields(const QString& line, QChar sep);

// The folder for temporary files, with a trailing separator.
QString getTempFolder();

// True when some item equals text exactly.
bool listContains(const QString& text, const QStringList& list);

// The first integer in text ("Rating > 3" gives 3); raises ConversionError
// "'-' is not a valid integer value" for a lone minus at the end.
qint64 firstInteger(const QString& text);

// True when text is an http:// or https:// address with a host and without
// a login, query or fragment (blanks around it allowed): a server's base address.
bool isHttpServerAddress(const QString& text);

// True when text holds an at sign.
bool isEmailAddress(const QString& text);

// Parses year-month-day ("2004-1-9"); raises ConversionError "'<text>' is not a valid date".
QDate parseIsoDate(const QString& text);

// Asks "Connect to the Internet now?" first when askFirst is set, then opens
// address in the user's browser; reports "Could not start your Internet browser".
bool openUrl(const QString& address, bool askFirst);

// Lower-cases text and upper-cases every letter that starts a word.
QString capitalizeWords(const QString& text);

// text without leading and trailing blanks and control characters (codes up to 32).
QString trimBlanksAndControls(const QString& text);

// text without " * / ; < > ? and |.
QString stripFileNameChars(const QString& text);

// How openUrl hands an address to the desktop. The default runs xdg-open; the
// desktop program installs Qt's desktop services. Returns success.
using UrlLauncher = std::function<bool(const QString&)>;
void installUrlLauncher(UrlLauncher launcher);
