#pragma once

#include <QHash>
#include <QString>

#include <memory>

// A language file (*.lng): an INI file whose [Messages] section translates the
// program's English messages and whose [Translations] section translates
// window texts by "window.component.property" path. Keys are matched without
// regard to case; a value in one pair of matching quotes loses them.
class LanguageFile {
public:
    // The parsed file at path. Files are parsed once and kept while they stay
    // unchanged on disk: a changed file is read again at the next call. A
    // missing or unreadable file gives an empty language.
    static std::shared_ptr<const LanguageFile> open(const QString& path);

    QString message(const QString& text) const;
    // The translation of path, or nothing when the file has none.
    const QString* translation(const QString& path) const;

    bool isEmpty() const { return m_messages.isEmpty() && m_translations.isEmpty(); }

private:
    QHash<QString, QString> m_messages; // case-folded key -> translation
    QHash<QString, QString> m_translations;
};

// The Messages value of text in the language file at path, or text itself.
QString lookupMessage(const QString& file, const QString& text);
