#pragma once

#include <QString>

class Settings;

// Translates a message the program produces: text itself when the language
// is exactly "English" (no file is opened then), otherwise the [Messages]
// value of text in <program directory><Language>.lng, falling back to text.
QString translateMsg(const QString& text);

// The file in force for a language: program directory + name + ".lng".
QString languageFilePath(const Settings& config);

// Makes translateMsg follow config's Language (nullptr: every message stays
// English) and routes the lower layers' messages through translateMsg.
void useLanguageOf(const Settings* config);
