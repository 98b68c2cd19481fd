#include "IniDocument.h"

#include "QuilletError.h"
#include "RegularFile.h"
#include "TextDecoding.h"

#include <QFile>
#include <QLocale>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>

namespace {

// The text of a line with blanks at both ends removed, without copying it.
QStringView trimmedView(const QString& line)
{
    return QStringView(line).trimmed();
}

bool isHeader(QStringView trimmed)
{
    return trimmed.startsWith(QLatin1Char('['));
}

QStringView headerName(QStringView trimmed)
{
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    return (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
}

bool isComment(QStringView trimmed)
{
    return trimmed.startsWith(QLatin1Char(';'));
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString indexKey(QStringView name)
{
    return name.toString().toCaseFolded();
}

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// An INI line cannot hold a line break: one inside a value becomes a blank.
QString singleLine(QString value)
{
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

bool isValidUtf8(QByteArrayView bytes)
{
    return bytes.isValidUtf8();
}

// UTF-8 to text, a byte order mark at the start kept as a character (the
// file's own mark is taken off before): the text turns back into the same bytes.
QString fromUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(
        QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

} // namespace

void IniDocument::appendDecodedLines(QStringView text)
{
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        Line line;
        line.text = text.mid(start, i - start).toString();
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) {
            line.end = LineEnd::CRLF;
            ++i;
        } else {
            line.end = c == QLatin1Char('\r') ? LineEnd::CR : LineEnd::LF;
        }
        m_lines.append(std::move(line));
        start = i + 1;
    }
    if (start < n) {
        Line line;
        line.text = text.mid(start).toString();
        line.end = LineEnd::None;
        m_lines.append(std::move(line));
    }
}

void IniDocument::appendByteLines(QByteArrayView bytes)
{
    // CR and LF bytes never occur inside a UTF-8 sequence or stand for
    // anything else in Windows-1252, so the bytes split into lines first.
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    const auto take = [&](qsizetype from, qsizetype to, LineEnd end) {
        const QByteArrayView raw = bytes.sliced(from, to - from);
        Line line;
        if (isValidUtf8(raw)) {
            line.text = fromUtf8(raw);
        } else {
            line.text = decodeWindows1252(raw);
            line.windows1252 = true;
        }
        line.end = end;
        m_lines.append(std::move(line));
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n')
            continue;
        const qsizetype lineEnd = i;
        LineEnd end = c == '\r' ? LineEnd::CR : LineEnd::LF;
        if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n') {
            end = LineEnd::CRLF;
            ++i;
        }
        take(start, lineEnd, end);
        start = i + 1;
    }
    if (start < n)
        take(start, n, LineEnd::None);
}

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument doc;
    QByteArrayView view(bytes);
    if (view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF")) {
        doc.m_encoding = view.startsWith("\xFF\xFE") ? Encoding::Utf16LE : Encoding::Utf16BE;
        doc.m_bom = bytes.left(2);
        view = view.sliced(2);
        // An odd last byte is no character: it is dropped.
        const qsizetype units = view.size() / 2;
        QString text(units, Qt::Uninitialized);
        const auto* raw = reinterpret_cast<const uchar*>(view.data());
        for (qsizetype i = 0; i < units; ++i) {
            const uchar first = raw[2 * i];
            const uchar second = raw[2 * i + 1];
            text[i] = doc.m_encoding == Encoding::Utf16LE ? QChar(first, second) : QChar(second, first);
        }
        doc.appendDecodedLines(text);
        if (text.contains(QLatin1String("\r\n")))
            doc.m_lineEnd = LineEnd::CRLF;
        return doc;
    }
    if (view.startsWith("\xEF\xBB\xBF")) {
        doc.m_bom = bytes.left(3);
        view = view.sliced(3);
    }
    if (isValidUtf8(view))
        doc.appendDecodedLines(fromUtf8(view));
    else
        doc.appendByteLines(view);
    if (view.contains("\r\n"))
        doc.m_lineEnd = LineEnd::CRLF;
    return doc;
}

IniDocument IniDocument::load(const QString& path)
{
    QFile file;
    const RegularFile::Problem problem = RegularFile::open(file, path);
    if (problem != RegularFile::Problem::None) {
        IniDocument doc;
        doc.m_unreadable = problem != RegularFile::Problem::Missing;
        return doc;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        IniDocument doc;
        doc.m_unreadable = true;
        return doc;
    }
    return fromBytes(bytes);
}

QByteArray IniDocument::toBytes() const
{
    QByteArray bytes = m_bom;
    const bool utf16 = m_encoding != Encoding::Utf8;
    const auto append = [&](QStringView text) {
        if (!utf16) {
            bytes += text.toUtf8();
            return;
        }
        for (const QChar c : text) {
            const char high = static_cast<char>(c.row());
            const char low = static_cast<char>(c.cell());
            if (m_encoding == Encoding::Utf16LE) {
                bytes += low;
                bytes += high;
            } else {
                bytes += high;
                bytes += low;
            }
        }
    };
    const int n = static_cast<int>(m_lines.size());
    for (int i = 0; i < n; ++i) {
        const Line& line = m_lines.at(i);
        if (line.windows1252)
            bytes += encodeWindows1252(line.text);
        else
            append(line.text);
        LineEnd end = line.end;
        // A last line without a line end gets one when lines follow it.
        if (end == LineEnd::None && i + 1 < n)
            end = m_lineEnd;
        switch (end) {
        case LineEnd::None:
            break;
        case LineEnd::LF:
            append(u"\n");
            break;
        case LineEnd::CRLF:
            append(u"\r\n");
            break;
        case LineEnd::CR:
            append(u"\r");
            break;
        }
    }
    return bytes;
}

void IniDocument::save(const QString& path, FileSaver::Access access) const
{
    if (m_unreadable || !FileSaver::save(path, toBytes(), access))
        throw QuilletError(QStringLiteral("Unable to write to %1").arg(path));
}

bool IniDocument::isSectionName(const QString& name)
{
    return !name.contains(QLatin1Char(']')) && !hasLineBreak(name) && trimmedView(name).size() == name.size();
}

bool IniDocument::isKeyName(const QString& name)
{
    const QStringView trimmed = trimmedView(name);
    return !name.isEmpty() && trimmed.size() == name.size() && !name.contains(QLatin1Char('=')) && !hasLineBreak(name)
        && !isHeader(trimmed) && !isComment(trimmed);
}

IniDocument::Line IniDocument::newLine(const QString& text) const
{
    Line line;
    line.text = text;
    line.end = m_lineEnd;
    return line;
}

void IniDocument::insertLine(int at, const QString& text)
{
    m_lines.insert(at, newLine(text));
    if (!m_indexed)
        return;
    // Key lines are never headers: only the headers after the new line move.
    const auto first = std::lower_bound(m_headers.begin(), m_headers.end(), at);
    for (auto it = first; it != m_headers.end(); ++it)
        ++*it;
}

void IniDocument::buildIndex() const
{
    m_headers.clear();
    m_firstSection.clear();
    const int n = static_cast<int>(m_lines.size());
    for (int i = 0; i < n; ++i) {
        const QStringView trimmed = trimmedView(m_lines.at(i).text);
        if (!isHeader(trimmed))
            continue;
        // The first section of a name wins.
        const QString key = indexKey(headerName(trimmed));
        if (m_firstSection.constFind(key) == m_firstSection.constEnd())
            m_firstSection.insert(key, static_cast<int>(m_headers.size()));
        m_headers.push_back(i);
    }
    m_indexed = true;
}

IniDocument::Range IniDocument::findSection(const QString& section) const
{
    if (!m_indexed)
        buildIndex();
    Range range;
    const auto found = m_firstSection.constFind(indexKey(section));
    if (found == m_firstSection.constEnd())
        return range;
    const auto position = static_cast<std::size_t>(found.value());
    range.header = m_headers[position];
    range.end = position + 1 < m_headers.size() ? m_headers[position + 1] : static_cast<int>(m_lines.size());
    return range;
}

int IniDocument::findKey(const Range& range, const QString& key) const
{
    if (range.header < 0)
        return -1;
    for (int i = range.header + 1; i < range.end; ++i) {
        const QString& line = m_lines.at(i).text;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || isComment(trimmedView(line)))
            continue;
        if (sameName(QStringView(line).left(eq).trimmed(), key))
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
    if (!m_indexed)
        buildIndex();
    QStringList names;
    for (std::size_t position = 0; position < m_headers.size(); ++position) {
        const QStringView name = headerName(trimmedView(m_lines.at(m_headers[position]).text));
        if (m_firstSection.value(indexKey(name), -1) == static_cast<int>(position))
            names.append(name.toString());
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
    return valueOfLine(m_lines.at(line).text);
}

QVector<QPair<QString, QString>> IniDocument::entries(const QString& section) const
{
    QVector<QPair<QString, QString>> result;
    const Range range = findSection(section);
    if (range.header < 0)
        return result;
    QSet<QString> seen;
    for (int i = range.header + 1; i < range.end; ++i) {
        const QString& line = m_lines.at(i).text;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || isComment(trimmedView(line)))
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
    for (const Line& entry : m_lines) {
        const QString& line = entry.text;
        const QStringView trimmed = trimmedView(line);
        if (isHeader(trimmed)) {
            section = indexKey(headerName(trimmed));
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
    // Numbers are written without group separators, so none is read either:
    // "2.5" written under a locale with a decimal point must not read as 25
    // under one whose group separator is the point. Such a value is read with
    // the point as its decimal separator.
    for (QLocale locale : {QLocale(), QLocale::c()}) {
        locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
        bool ok = false;
        const double result = locale.toDouble(*text, &ok);
        // "nan" and "inf" are numbers to the locale, but no setting's value.
        if (ok)
            return std::isfinite(result) ? result : defaultValue;
    }
    return defaultValue;
}

void IniDocument::writeString(const QString& section, const QString& key, const QString& value)
{
    if (!isSectionName(section))
        throw QuilletError(QStringLiteral("\"%1\" cannot be the name of an INI section").arg(singleLine(section)));
    if (!isKeyName(key))
        throw QuilletError(QStringLiteral("\"%1\" cannot be the name of an INI key").arg(singleLine(key)));
    const QString line = key + QLatin1Char('=') + singleLine(value);
    const Range range = findSection(section);
    if (range.header < 0) {
        if (m_indexed) {
            m_firstSection.insert(indexKey(section), static_cast<int>(m_headers.size()));
            m_headers.push_back(static_cast<int>(m_lines.size()));
        }
        m_lines.append(newLine(QLatin1Char('[') + section + QLatin1Char(']')));
        m_lines.append(newLine(line));
        return;
    }
    const int existing = findKey(range, key);
    if (existing >= 0) {
        Line& changed = m_lines[existing];
        if (changed.text != line) {
            changed.text = line;
            changed.windows1252 = false;
        }
        return;
    }
    // After the section's last non-blank line, so blank separator lines stay in place.
    int insertAt = range.end;
    while (insertAt > range.header + 1 && trimmedView(m_lines.at(insertAt - 1).text).isEmpty())
        --insertAt;
    insertLine(insertAt, line);
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
    writeString(section, key, doubleText(value));
}

QString IniDocument::doubleText(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', QLocale::FloatingPointShortest);
}

void IniDocument::eraseSection(const QString& section)
{
    if (!m_indexed)
        buildIndex();
    // Every section of the name, last first, so earlier line numbers stay valid.
    const QString wanted = indexKey(section);
    const int n = static_cast<int>(m_lines.size());
    bool erased = false;
    for (int position = static_cast<int>(m_headers.size()) - 1; position >= 0; --position) {
        const int header = m_headers[position];
        if (indexKey(headerName(trimmedView(m_lines.at(header).text))) != wanted)
            continue;
        const int end = position + 1 < static_cast<int>(m_headers.size()) ? m_headers[position + 1] : n;
        m_lines.remove(header, end - header);
        erased = true;
    }
    if (erased)
        m_indexed = false;
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
