#include "PadDocument.h"

#include "MessageTranslator.h"
#include "RegularFile.h"
#include "TextDecoding.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace {

QString fileLabel(const QString& sourceName)
{
    return sourceName.isEmpty() ? translateMsg(QStringLiteral("The PAD file")) : sourceName;
}

// The encoding named in the XML declaration, or an empty text.
QString declaredEncoding(const QByteArray& bytes)
{
    const QString head = QString::fromLatin1(bytes.left(512));
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*<\\?xml(?=\\s)[^>]*?\\sencoding\\s*=\\s*[\"']([A-Za-z0-9._:-]+)[\"']"));
    const QRegularExpressionMatch match = declaration.match(head);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool isWesternSingleByte(const QString& name)
{
    static const QStringList names {QStringLiteral("windows-1252"), QStringLiteral("cp1252"),
        QStringLiteral("iso-8859-1"), QStringLiteral("iso8859-1"), QStringLiteral("iso_8859-1"),
        QStringLiteral("latin1"), QStringLiteral("latin-1"), QStringLiteral("l1"), QStringLiteral("us-ascii"),
        QStringLiteral("ascii")};
    return names.contains(name.toLower());
}

// The XML declaration with its encoding pseudo-attribute removed: the text
// is already decoded when the parser sees it.
QString withoutEncodingDeclaration(QString text)
{
    static const QRegularExpression encoding(
        QStringLiteral("^(\\s*<\\?xml(?=\\s)[^>]*?)\\sencoding\\s*=\\s*[\"'][^\"']*[\"']"));
    text.replace(encoding, QStringLiteral("\\1"));
    return text;
}

} // namespace

QString PadDocument::decode(const QByteArray& bytes, const QString& sourceName)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeText(bytes);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
            QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(bytes.mid(2));
        if (decoder.hasError())
            throw QuilletError(translateMsg(QStringLiteral("%1 is not valid UTF-16 text.")).arg(fileLabel(sourceName)));
        return text;
    }
    const QString encoding = declaredEncoding(bytes);
    if (encoding.isEmpty())
        return decodeText(bytes);
    const QString lower = encoding.toLower();
    if (lower == QLatin1String("utf-8") || lower == QLatin1String("utf8"))
        return decodeText(bytes);
    if (isWesternSingleByte(encoding))
        return decodeWindows1252(bytes);
    QStringDecoder decoder(encoding.toLatin1().constData());
    if (!decoder.isValid())
        throw QuilletError(translateMsg(QStringLiteral("%1 uses the encoding %2, which cannot be read."))
                               .arg(fileLabel(sourceName), encoding));
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        throw QuilletError(
            translateMsg(QStringLiteral("%1 is not valid %2 text.")).arg(fileLabel(sourceName), encoding));
    return text;
}

PadDocument PadDocument::load(const QString& path)
{
    QFile file;
    QString reason;
    const RegularFile::Problem problem = RegularFile::open(file, path, &reason);
    if (problem == RegularFile::Problem::Unreadable)
        throw QuilletError(translateMsg(QStringLiteral("Cannot read the PAD file %1: %2")).arg(path, reason));
    if (problem != RegularFile::Problem::None)
        throw QuilletError(RegularFile::problemText(problem, path));
    if (file.size() > MaxFileSize)
        throw QuilletError(translateMsg(QStringLiteral("The PAD file %1 is too large.")).arg(path));
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        throw QuilletError(
            translateMsg(QStringLiteral("Cannot read the PAD file %1: %2")).arg(path, file.errorString()));
    if (bytes.size() > MaxFileSize)
        throw QuilletError(translateMsg(QStringLiteral("The PAD file %1 is too large.")).arg(path));
    return parse(bytes, path);
}

PadDocument PadDocument::parse(const QByteArray& bytes, const QString& sourceName)
{
    const QString text = withoutEncodingDeclaration(decode(bytes, sourceName));
    QXmlStreamReader reader(text);
    reader.setNamespaceProcessing(false);

    PadDocument document;
    bool haveRoot = false;
    // The open elements, innermost last; each collects its own text.
    std::vector<Node> open;
    std::vector<QString> openText;

    const auto fail = [&](const QString& reason) {
        QString why = reason.trimmed();
        if (why.endsWith(QLatin1Char('.')))
            why.chop(1);
        throw QuilletError(translateMsg(QStringLiteral("%1 is not well-formed XML at line %2, column %3: %4."))
                               .arg(fileLabel(sourceName))
                               .arg(reader.lineNumber())
                               .arg(reader.columnNumber())
                               .arg(why));
    };

    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        switch (token) {
        case QXmlStreamReader::StartElement: {
            if (open.empty() && haveRoot)
                fail(QStringLiteral("more than one root element"));
            if (static_cast<int>(open.size()) >= MaxDepth)
                fail(translateMsg(QStringLiteral("elements are nested more than %1 levels deep")).arg(MaxDepth));
            Node element;
            element.isElement = true;
            element.tagName = reader.qualifiedName().toString();
            open.push_back(std::move(element));
            openText.emplace_back();
            break;
        }
        case QXmlStreamReader::EndElement: {
            Node element = std::move(open.back());
            QString elementText = std::move(openText.back());
            open.pop_back();
            openText.pop_back();
            element.text = elementText.trimmed();
            element.rawText = element.hasChildElements() ? element.text : elementText;
            if (!openText.empty())
                openText.back() += elementText;
            if (open.empty()) {
                document.m_root = std::move(element);
                haveRoot = true;
            } else {
                open.back().children.push_back(std::move(element));
            }
            break;
        }
        case QXmlStreamReader::Characters:
            if (!open.empty()) {
                const QString characters = reader.text().toString();
                openText.back() += characters;
                if (!reader.isWhitespace()) {
                    Node node;
                    node.text = characters;
                    open.back().children.push_back(std::move(node));
                }
            }
            break;
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            if (!open.empty())
                open.back().children.push_back(Node());
            break;
        case QXmlStreamReader::Invalid:
            fail(reader.errorString());
            break;
        default:
            break;
        }
    }
    if (reader.hasError())
        fail(reader.errorString());
    if (!haveRoot)
        fail(translateMsg(QStringLiteral("no root element")));
    return document;
}
