#pragma once

#include <QObject>
#include <QString>
#include <QTranslator>

#include <memory>
#include <vector>

class Settings;

// The language in force for the whole desktop program. Choosing one changes
// every open window at once: Qt's own texts (standard buttons, file
// dialogs) take Qt's translations for the language, each window's
// translation component takes the new language file (a text the file lacks
// shows the window's own), and languageChanged lets the windows redo the
// texts their code makes (status lines, grid cells, messages shown).
class LanguageSwitch : public QObject {
    Q_OBJECT
public:
    static LanguageSwitch& instance();

    // Takes config's Language for every open window (the file is read even
    // for English: see WindowTranslator::switchLanguage). Returns false when a
    // window's translation stopped at an error (it was reported).
    bool apply(const Settings& config);

    // Installs Qt's translations for the language (none for English, or for
    // a name that is no language Qt knows, or when they are not installed);
    // true when some were found.
    bool loadQtTranslations(const QString& language);

    // The language as it names itself ("Deutsch" for German, "Français" for
    // French), or the name itself when it is no language Qt knows.
    static QString nativeName(const QString& language);

Q_SIGNALS:
    void languageChanged();

private:
    LanguageSwitch() = default;
    std::vector<std::unique_ptr<QTranslator>> m_qtTranslators;
};
