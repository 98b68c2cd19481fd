#include "IniDocument.h"

#include "QuilletError.h"
#include "TextDecoding.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <QSet>

namespace {

bool isHeader(const QString& trimmed)
{
    return trimmed.startsWith(QLatin1Char('['));
}

QString headerName(const QString& trimmed)
{
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    return (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
}

bool isComment(const QString& trimmed)
{
    return trimmed.startsWith(QLatin1Char(';'));
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// An INI line cannot hold a line break: one inside a value becomes a blank.
QString singleLine(QString value)
{
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

} // namespace

IniDocument IniDocument::load(const QString& path)
{
    IniDocument doc;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        doc.m_unreadable = file.exists();
        return doc;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.contains("\r\n"))
        doc.m_lineEnd = QStringLiteral("\r\n");
    doc.m_lines = splitLines(decodeText(bytes));
    return doc;
}

void IniDocument::save(const QString& path) const
{
    if (m_unreadable)
        throw QuilletError(QStringLiteral("Unable to write to %1").arg(path));
    QString text;
    for (const QString& line : m_lines)
        text += line + m_lineEnd;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw QuilletError(QStringLiteral("Unable to write to %1").arg(path));
}

IniDocument::Range IniDocument::findSection(const QString& section) const
{
    Range range;
    const int n = static_cast<int>(m_lines.size());
    for (int i = 0; i < n; ++i) {
        const QString trimmed = m_lines.at(i).trimmed();
        if (isHeader(trimmed) && sameName(headerName(trimmed), section)) {
            range.header = i;
            break;
        }
    }
    if (range.header < 0)
        return range;
    range.end = range.header + 1;
    while (range.end < n && !isHeader(m_lines.at(range.end).trimmed()))
        ++range.end;
    return range;
}

int IniDocument::findKey(const Range& range, const QString& key) const
{
    if (range.header < 0)
        return -1;
    for (int i = range.header + 1; i < range.end; ++i) {
        const QString& line = m_lines.at(i);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || isComment(line.trimmed()))
            continue;
        if (sameName(line.left(eq).trimmed(), key))
            return i;
    }
    return -1;
}

bool IniDocument::hasSection(const QString& section) const
{
    return findSection(section).header >= 0;
}

QStringList IniDocument::sectionNames() const
{
    QStringList names;
    for (const QString& line : m_lines) {
        const QString trimmed = line.trimmed();
        if (!isHeader(trimmed))
            continue;
        const QString name = headerName(trimmed);
        if (!names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    }
    return names;
}

QStringList IniDocument::keys(const QString& section) const
{
    QStringList result;
    const QVector<QPair<QString, QString>> all = entries(section);
    for (const auto& entry : all)
        result.append(entry.first);
    return result;
}

QString IniDocument::valueOfLine(const QString& line) const
{
    QString result = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (m_stripQuotes && result.size() >= 2) {
        const QChar first = result.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && result.back() == first)
            result = result.mid(1, result.size() - 2);
    }
    return result;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const int line = findKey(findSection(section), key);
    if (line < 0)
        return std::nullopt;
    return valueOfLine(m_lines.at(line));
}

QVector<QPair<QString, QString>> IniDocument::entries(const QString& section) const
{
    QVector<QPair<QString, QString>> result;
    const Range range = findSection(section);
    if (range.header < 0)
        return result;
    QSet<QString> seen;
    for (int i = range.header + 1; i < range.end; ++i) {
        const QString& line = m_lines.at(i);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || isComment(line.trimmed()))
            continue;
        const QString key = line.left(eq).trimmed();
        if (seen.contains(key.toCaseFolded()))
            continue;
        seen.insert(key.toCaseFolded());
        result.append({key, valueOfLine(line)});
    }
    return result;
}

QHash<QString, QString> IniDocument::valuesOfKey(const QString& key) const
{
    QHash<QString, QString> result;
    QSet<QString> seen;
    QString section;   // case folded
    bool open = false; // the lines belong to the first section of its name
    bool found = false;
    for (const QString& line : m_lines) {
        const QString trimmed = line.trimmed();
        if (isHeader(trimmed)) {
            section = headerName(trimmed).toCaseFolded();
            open = !seen.contains(section);
            seen.insert(section);
            found = false;
            continue;
        }
        if (!open || found || isComment(trimmed))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || !sameName(line.left(eq).trimmed(), key))
            continue;
        result.insert(section, valueOfLine(line));
        found = true;
    }
    return result;
}

QString IniDocument::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    return value(section, key).value_or(defaultValue);
}

int IniDocument::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    const std::optional<QString> text = value(section, key);
    if (!text)
        return defaultValue;
    bool ok = false;
    int result = 0;
    if (text->startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        // Hexadecimal values may fill all 32 bits, as 0xFFFFFFFF does.
        const uint bits = QStringView(*text).mid(2).toUInt(&ok, 16);
        result = static_cast<int>(bits);
    } else {
        result = text->toInt(&ok, 10);
    }
    return ok ? result : defaultValue;
}

bool IniDocument::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double IniDocument::readDouble(const QString& section, const QString& key, double defaultValue) const
{
    const std::optional<QString> text = value(section, key);
    if (!text)
        return defaultValue;
    bool ok = false;
    const double result = QLocale().toDouble(*text, &ok);
    return ok ? result : defaultValue;
}

void IniDocument::writeString(const QString& section, const QString& key, const QString& value)
{
    const QString line = key + QLatin1Char('=') + singleLine(value);
    const Range range = findSection(section);
    if (range.header < 0) {
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        m_lines.append(line);
        return;
    }
    const int existing = findKey(range, key);
    if (existing >= 0) {
        m_lines[existing] = line;
        return;
    }
    // After the section's last non-blank line, so blank separator lines stay in place.
    int insertAt = range.end;
    while (insertAt > range.header + 1 && m_lines.at(insertAt - 1).trimmed().isEmpty())
        --insertAt;
    m_lines.insert(insertAt, line);
}

void IniDocument::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniDocument::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniDocument::writeDouble(const QString& section, const QString& key, double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    writeString(section, key, locale.toString(value, 'g', QLocale::FloatingPointShortest));
}

void IniDocument::eraseSection(const QString& section)
{
    for (Range range = findSection(section); range.header >= 0; range = findSection(section))
        m_lines.remove(range.header, range.end - range.header);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    return read().readString(section, key, defaultValue);
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    return read().readInteger(section, key, defaultValue);
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    return read().readBool(section, key, defaultValue);
}

QStringList IniFile::sectionNames() const
{
    return read().sectionNames();
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    IniDocument doc = read();
    doc.writeString(section, key, value);
    doc.save(m_path);
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    IniDocument doc = read();
    doc.writeInteger(section, key, value);
    doc.save(m_path);
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    IniDocument doc = read();
    doc.writeBool(section, key, value);
    doc.save(m_path);
}

void IniFile::eraseSection(const QString& section)
{
    IniDocument doc = read();
    if (!doc.hasSection(section))
        return;
    doc.eraseSection(section);
    doc.save(m_path);
}
