#pragma once

#include <QString>

class Settings;

// Translates a message the program produces: text itself when the language
// is exactly "English" (no file is opened then), otherwise the [Messages]
// value of text in the language file in force (languageFilePath), falling
// back to text.
QString translateMsg(const QString& text);

// The file in force for config's Language: program directory + name + ".lng",
// or the shipped file of that name when the program directory has none
// (LanguageFolders).
QString languageFilePath(const Settings& config);

// The settings whose Language translateMsg follows, or nullptr.
const Settings* languageSettings();

// Makes translateMsg follow config's Language (nullptr: every message stays
// English) and routes the lower layers' messages through translateMsg.
void useLanguageOf(const Settings* config);
