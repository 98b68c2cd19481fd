#include "Helpers.h"

#include "MessageSink.h"
#include "MessageTranslation.h"
#include "QuilletError.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QUrl>

namespace {

const QChar kQuote = QLatin1Char('"');

bool isLetter(QChar c)
{
    return c.toUpper() != c.toLower();
}

UrlLauncher& urlLauncher()
{
    static UrlLauncher launcher
        = [](const QString& address) { return QProcess::startDetached(QStringLiteral("xdg-open"), {address}); };
    return launcher;
}

} // namespace

QString trimBlanksAndControls(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).unicode() <= 0x20)
        ++start;
    while (end > start && text.at(end - 1).unicode() <= 0x20)
        --end;
    return start == 0 && end == text.size() ? text : text.mid(start, end - start);
}

QString appendCondition(const QString& list, const QString& condition)
{
    return list.isEmpty() ? condition : list + QLatin1String(" AND ") + condition;
}

bool appendLineToFile(const QString& fileName, const QString& line)
{
    QFile file(fileName);
    const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Append)
        && file.write((line + QLatin1String("\r\n")).toUtf8()) >= 0 && file.flush();
    if (!ok) {
        MessageSink::current().showMessage(
            QLatin1String("Could not access ") + fileName, QStringLiteral("Access Error"));
        return false;
    }
    file.close();
    return true;
}

QString fileNameWithoutExt(const QString& path)
{
    qsizetype cut = -1;
    for (const QChar c : {QLatin1Char('/'), QLatin1Char('\\'), QLatin1Char(':')})
        cut = std::max(cut, path.lastIndexOf(c));
    const QString name = path.mid(cut + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QString();
    return name.left(name.indexOf(name.mid(dot)));
}

QString getField(const QString& line, QChar sep, int index)
{
    const qsizetype n = line.size();
    qsizetype i = 0;
    bool inQuotes = false;
    if (index > 0) {
        int count = 0;
        while (i < n) {
            if (line.at(i) == kQuote) {
                if (i + 1 < n && line.at(i + 1) == kQuote)
                    ++i;
                else
                    inQuotes = !inQuotes;
            }
            if (line.at(i) == sep && !inQuotes)
                ++count;
            ++i;
            if (count == index)
                break;
        }
        if (count < index)
            return QString();
    }

    QString field;
    inQuotes = false;
    while (i < n && !(line.at(i) == sep && !inQuotes)) {
        if (line.at(i) == kQuote) {
            if (i + 1 < n && line.at(i + 1) == kQuote)
                ++i;
            else
                inQuotes = !inQuotes;
        }
        field.append(line.at(i));
        ++i;
    }

    if (!field.isEmpty() && field.front() == kQuote && field.back() == kQuote)
        field = field.size() <= 2 ? QString() : field.mid(1, field.size() - 2);
    return trimBlanksAndControls(field);
}

int countFields(const QString& line, QChar sep)
{
    if (line.isEmpty())
        return 0;
    int count = 1;
    bool inQuotes = false;
    for (const QChar c : line) {
        if (c == kQuote)
            inQuotes = !inQuotes;
        else if (c == sep && !inQuotes)
            ++count;
    }
    return count;
}

QString getTempFolder()
{
    QString folder = QDir::tempPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

bool listContains(const QString& text, const QStringList& list)
{
    return list.contains(text, Qt::CaseSensitive);
}

qint64 firstInteger(const QString& text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && !text.at(i).isDigit() && text.at(i) != QLatin1Char('-'))
        ++i;
    QString collected;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            collected.append(c);
        else if (c == QLatin1Char('-') && collected.isEmpty())
            collected.append(c);
        else if (collected == QLatin1String("-") && c == QLatin1Char(' '))
            collected.clear();
        else
            break;
    }
    if (collected.isEmpty())
        return 0;
    bool ok = false;
    const int value = collected.toInt(&ok, 10);
    if (!ok)
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(collected));
    return value;
}

bool isEmailAddress(const QString& text)
{
    return text.contains(QLatin1Char('@'));
}

bool isHttpServerAddress(const QString& text)
{
    const QString base = text.trimmed();
    const QUrl url(base, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return !base.isEmpty() && url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !url.host().isEmpty() && url.userInfo().isEmpty() && !url.hasQuery() && !url.hasFragment();
}

QDate parseIsoDate(const QString& text)
{
    // Four-digit year; month and day with or without a leading zero. The parse
    // uses a fixed format of its own, so the user's date settings never change.
    const QStringList parts = text.split(QLatin1Char('-'));
    QDate date;
    if (parts.size() == 3 && parts.at(0).size() == 4 && !parts.at(1).isEmpty() && parts.at(1).size() <= 2
        && !parts.at(2).isEmpty() && parts.at(2).size() <= 2) {
        bool okYear = false;
        bool okMonth = false;
        bool okDay = false;
        const int year = parts.at(0).toInt(&okYear);
        const int month = parts.at(1).toInt(&okMonth);
        const int day = parts.at(2).toInt(&okDay);
        const auto allDigits = [](const QString& s) {
            return std::all_of(
                s.begin(), s.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
        };
        if (okYear && okMonth && okDay && allDigits(parts.at(0)) && allDigits(parts.at(1)) && allDigits(parts.at(2)))
            date = QDate(year, month, day);
    }
    if (!date.isValid())
        throw ConversionError(QStringLiteral("'%1' is not a valid date").arg(text));
    return date;
}

bool openUrl(const QString& address, bool askFirst)
{
    if (askFirst && !MessageSink::current().askYesNo(translateMessage(QStringLiteral("Connect to the Internet now?"))))
        return false;
    if (urlLauncher()(address))
        return true;
    MessageSink::current().showMessage(translateMessage(QStringLiteral("Could not start your Internet browser")),
        translateMessage(QStringLiteral("Launch Error")));
    return false;
}

void installUrlLauncher(UrlLauncher launcher)
{
    urlLauncher() = std::move(launcher);
}

QString capitalizeWords(const QString& text)
{
    QString result = QLocale().toLower(text);
    for (qsizetype i = 0; i < result.size(); ++i) {
        if (isLetter(result.at(i)) && (i == 0 || !isLetter(result.at(i - 1))))
            result[i] = result.at(i).toUpper();
    }
    return result;
}

QString stripFileNameChars(const QString& text)
{
    static const QString forbidden = QStringLiteral("\"*/;<>?|");
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (!forbidden.contains(c))
            result.append(c);
    }
    return result;
}
