#include "LanguageFile.h"

#include "IniDocument.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMutex>

namespace {

struct CacheEntry {
    QDateTime modified;
    qint64 size = -1;
    std::shared_ptr<const LanguageFile> file;
};

QHash<QString, QString> sectionMap(const IniDocument& doc, const QString& section)
{
    QHash<QString, QString> map;
    const QVector<QPair<QString, QString>> entries = doc.entries(section);
    for (const auto& entry : entries)
        map.insert(entry.first.toCaseFolded(), entry.second);
    return map;
}

} // namespace

std::shared_ptr<const LanguageFile> LanguageFile::open(const QString& path)
{
    static QHash<QString, CacheEntry> cache;
    static QMutex mutex;

    const QFileInfo info(path);
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    const qint64 size = info.exists() ? info.size() : -1;

    const QMutexLocker lock(&mutex);
    auto it = cache.find(path);
    if (it != cache.end() && it->modified == modified && it->size == size)
        return it->file;

    auto file = std::make_shared<LanguageFile>();
    if (size >= 0) {
        IniDocument doc = IniDocument::load(path);
        doc.setStripQuotes(true);
        file->m_messages = sectionMap(doc, QStringLiteral("Messages"));
        file->m_translations = sectionMap(doc, QStringLiteral("Translations"));
    }
    cache.insert(path, CacheEntry {modified, size, file});
    return file;
}

QString LanguageFile::message(const QString& text) const
{
    return m_messages.value(text.toCaseFolded(), text);
}

const QString* LanguageFile::translation(const QString& path) const
{
    const auto it = m_translations.constFind(path.toCaseFolded());
    return it == m_translations.constEnd() ? nullptr : &it.value();
}

QString lookupMessage(const QString& file, const QString& text)
{
    return LanguageFile::open(file)->message(text);
}
