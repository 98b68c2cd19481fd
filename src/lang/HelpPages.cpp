#include "HelpPages.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>

namespace {

// Help pages are small; a larger file is no page of ours.
constexpr qint64 kLargestPage = 1024 * 1024;

QString readText(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.read(kLargestPage));
}

QString metaContent(const QString& html, const QString& name)
{
    const QRegularExpression meta(
        QStringLiteral("<meta\\s+name=\"%1\"\\s+content=\"([^\"]*)\"").arg(QRegularExpression::escape(name)),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = meta.match(html);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString pageTitle(const QString& html, const QString& fallback)
{
    static const QRegularExpression title(
        QStringLiteral("<title>([^<]*)</title>"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = title.match(html);
    const QString text = match.hasMatch() ? match.captured(1).trimmed() : QString();
    return text.isEmpty() ? fallback : text;
}

// A page is a plain file name or a path inside the root: no way out of it.
bool isInside(const QString& page)
{
    return !page.isEmpty() && !page.startsWith(QLatin1Char('/'))
        && !page.split(QLatin1Char('/')).contains(QStringLiteral(".."));
}

} // namespace

HelpPages::HelpPages(const QString& root, const QString& language)
    : m_root(root.endsWith(QLatin1Char('/')) ? root.chopped(1) : root)
    , m_folder(folderOf(language))
{
    readTopics();
}

QString HelpPages::folderOf(const QString& language)
{
    const QString name = language.trimmed();
    if (name.isEmpty())
        return QString();
    for (int value = QLocale::AnyLanguage + 1; value <= QLocale::LastLanguage; ++value) {
        const auto candidate = static_cast<QLocale::Language>(value);
        if (QLocale::languageToString(candidate).compare(name, Qt::CaseInsensitive) != 0
            && QLocale(candidate).nativeLanguageName().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (candidate == QLocale::English)
            return QString();
        return QLocale::languageToCode(candidate, QLocale::ISO639Part1);
    }
    return QString();
}

QString HelpPages::filePath(const QString& page) const
{
    if (!isInside(page))
        return QString();
    if (!m_folder.isEmpty()) {
        const QString translated = m_root + QLatin1Char('/') + m_folder + QLatin1Char('/') + page;
        if (QFile::exists(translated))
            return translated;
    }
    return m_root + QLatin1Char('/') + page;
}

void HelpPages::readTopics()
{
    // topics.txt names the pages in contents order, one a line; "#" starts a comment.
    const QStringList lines = readText(m_root + QStringLiteral("/topics.txt")).split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString page = raw.section(QLatin1Char('#'), 0, 0).trimmed();
        const QString html = readText(filePath(page));
        if (html.isEmpty())
            continue;
        Topic topic;
        topic.page = page;
        topic.title = pageTitle(html, page);
        for (const QString& keyword : metaContent(html, QStringLiteral("keywords")).split(QLatin1Char(','))) {
            if (!keyword.trimmed().isEmpty())
                topic.keywords.append(keyword.trimmed());
        }
        for (const QString& number : metaContent(html, QStringLiteral("context")).split(QLatin1Char(','))) {
            bool ok = false;
            const int context = number.trimmed().toInt(&ok);
            if (ok) {
                topic.contexts.append(context);
                if (!m_contextPages.contains(context))
                    m_contextPages.insert(context, page);
            }
        }
        m_topics.append(topic);
    }
}
