#include "FormMap.h"

#include "MessageTranslation.h"
#include "QuilletError.h"
#include "TextDecoding.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

const QString kRoot = QStringLiteral("XML_SITE_SUBMIT_INFO");
const QString kControl = QStringLiteral("CONTROL");
const QString kName = QStringLiteral("Name");
const QString kType = QStringLiteral("Type");
const QString kDataField = QStringLiteral("DataField");

// Nesting deeper than this is no form map; the limit keeps the recursive
// writer's stack small whatever a file holds.
constexpr int kMaxDepth = 64;

QuilletError unreadable(const QString& fileName, const QString& reason)
{
    return QuilletError(translateMessage(QStringLiteral("The form map %1 cannot be read: %2")).arg(fileName, reason));
}

// The encoding named by the XML declaration at the start of bytes, or empty.
QString declaredEncoding(const QByteArray& bytes)
{
    QByteArray head = bytes.left(512);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    // "<?xml" and a blank: a processing instruction whose target merely starts
    // with "xml" ("<?xml-stylesheet", "<?xmlfoo") declares nothing.
    if (!head.startsWith("<?xml") || head.size() < 6 || !QByteArrayView(" \t\r\n").contains(head.at(5)))
        return QString();
    const qsizetype end = head.indexOf("?>");
    if (end < 0)
        return QString();
    static const QRegularExpression pattern(QStringLiteral("encoding\\s*=\\s*[\"']([A-Za-z0-9._:-]+)[\"']"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(head.left(end)));
    return match.hasMatch() ? match.captured(1) : QString();
}

QString decodeMap(const QByteArray& bytes, const QString& fileName)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(QStringDecoder::Utf16);
        QString text = decoder(bytes);
        if (decoder.hasError())
            throw unreadable(fileName, QStringLiteral("invalid UTF-16 text"));
        return text;
    }
    const QString encoding = declaredEncoding(bytes).toLower();
    // Without a declaration, and for a declaration of UTF-8 that the bytes do
    // not keep (maps saved in the Windows code page under a copied
    // declaration), the bytes are UTF-8 when they are valid UTF-8 and
    // Windows-1252 otherwise.
    if (encoding.isEmpty() || encoding == QLatin1String("utf-8") || encoding == QLatin1String("utf8"))
        return decodeText(bytes);
    if (encoding == QLatin1String("windows-1252") || encoding == QLatin1String("cp1252")
        || encoding == QLatin1String("iso-8859-1") || encoding == QLatin1String("latin1")
        || encoding == QLatin1String("us-ascii"))
        return decodeWindows1252(bytes);
    QStringDecoder decoder(encoding.toLatin1().constData());
    if (!decoder.isValid())
        throw unreadable(fileName, QStringLiteral("unknown encoding \"%1\"").arg(encoding));
    QString text = decoder(bytes);
    if (decoder.hasError())
        throw unreadable(fileName, QStringLiteral("the text is not in the encoding \"%1\"").arg(encoding));
    return text;
}

} // namespace

FormMap::FormMap()
{
    m_root.name = kRoot;
}

FormMap FormMap::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw unreadable(path, file.errorString());
    return parse(file.readAll(), path);
}

FormMap FormMap::parse(const QByteArray& bytes, const QString& fileName)
{
    const QString text = decodeMap(bytes, fileName);
    FormMap map;
    bool haveRoot = false;
    QVector<Node*> open; // the elements not closed yet, innermost last

    QXmlStreamReader reader(text);
    reader.setNamespaceProcessing(false);
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        Node node;
        switch (token) {
        case QXmlStreamReader::StartDocument:
            map.m_declaration = !reader.documentVersion().isEmpty();
            continue;
        case QXmlStreamReader::DTD:
            throw unreadable(fileName, QStringLiteral("a document type declaration is not allowed"));
        case QXmlStreamReader::EntityReference:
            throw unreadable(fileName,
                QStringLiteral("unknown entity \"%1\" (line %2)")
                    .arg(reader.name().toString())
                    .arg(reader.lineNumber()));
        case QXmlStreamReader::StartElement:
            node.kind = Node::Kind::Element;
            node.name = reader.qualifiedName().toString();
            node.attributes = reader.attributes();
            if (open.isEmpty()) {
                if (node.name != kRoot)
                    throw unreadable(
                        fileName, QStringLiteral("the root element is \"%1\", not %2").arg(node.name, kRoot));
                map.m_root = node;
                haveRoot = true;
                open.append(&map.m_root);
            } else {
                if (open.size() >= kMaxDepth)
                    throw unreadable(fileName, QStringLiteral("elements nested too deeply"));
                open.last()->children.append(node);
                open.append(&open.last()->children.last());
            }
            continue;
        case QXmlStreamReader::EndElement:
            open.removeLast();
            continue;
        case QXmlStreamReader::Characters:
            if (reader.isWhitespace() || open.isEmpty())
                continue; // indentation is not kept
            node.kind = reader.isCDATA() ? Node::Kind::CData : Node::Kind::Text;
            node.text = reader.text().toString();
            break;
        case QXmlStreamReader::Comment:
            node.kind = Node::Kind::Comment;
            node.text = reader.text().toString();
            break;
        case QXmlStreamReader::ProcessingInstruction:
            node.kind = Node::Kind::ProcessingInstruction;
            node.name = reader.processingInstructionTarget().toString();
            node.text = reader.processingInstructionData().toString();
            break;
        default:
            continue;
        }
        if (!open.isEmpty())
            open.last()->children.append(node);
        else if (haveRoot)
            map.m_epilog.append(node);
        else
            map.m_prolog.append(node);
    }
    if (reader.hasError())
        throw unreadable(fileName,
            QStringLiteral("%1 (line %2, column %3)")
                .arg(reader.errorString())
                .arg(reader.lineNumber())
                .arg(reader.columnNumber()));
    if (!haveRoot)
        throw unreadable(fileName, QStringLiteral("the file holds no XML element"));
    map.rebuildIndex();
    return map;
}

void FormMap::rebuildIndex()
{
    m_index.clear();
    const int count = static_cast<int>(m_root.children.size());
    for (int i = 0; i < count; ++i) {
        const Node& child = m_root.children.at(i);
        if (child.kind != Node::Kind::Element || child.name != kControl || !child.attributes.hasAttribute(kName))
            continue;
        const QString key = child.attributes.value(kName).toString();
        if (!m_index.contains(key))
            m_index.insert(key, i);
    }
}

std::optional<QString> FormMap::dataField(const QString& key) const
{
    const auto it = m_index.constFind(key);
    if (it == m_index.cend())
        return std::nullopt;
    return m_root.children.at(it.value()).attributes.value(kDataField).toString();
}

bool FormMap::isXmlText(const QString& text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            return false;
        if (c == 0xFFFE || c == 0xFFFF)
            return false;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= n || !QChar::isLowSurrogate(text.at(i + 1).unicode()))
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return false;
        }
    }
    return true;
}

FormMap::Node FormMap::controlNode(const QString& key, const QString& type, const QString& dataField)
{
    Node node;
    node.name = kControl;
    node.attributes.append(kName, key);
    node.attributes.append(kType, type);
    node.attributes.append(kDataField, dataField);
    return node;
}

bool FormMap::setControl(const QString& key, const QString& type, const QString& dataField)
{
    if (!isXmlText(key) || !isXmlText(type) || !isXmlText(dataField))
        return false;
    const auto it = m_index.constFind(key);
    if (it != m_index.cend()) {
        m_root.children[it.value()] = controlNode(key, type, dataField);
    } else {
        m_index.insert(key, static_cast<int>(m_root.children.size()));
        m_root.children.append(controlNode(key, type, dataField));
    }
    return true;
}

QVector<FormMap::Control> FormMap::controls() const
{
    QVector<Control> result;
    for (const Node& child : m_root.children) {
        if (child.kind == Node::Kind::Element && child.name == kControl) {
            result.append({child.attributes.value(kName).toString(), child.attributes.value(kType).toString(),
                child.attributes.value(kDataField).toString()});
        }
    }
    return result;
}

namespace {

template<typename NodeT> void writeNode(QXmlStreamWriter& writer, const NodeT& node)
{
    using Kind = typename NodeT::Kind;
    switch (node.kind) {
    case Kind::Element:
        if (node.children.isEmpty())
            writer.writeEmptyElement(node.name);
        else
            writer.writeStartElement(node.name);
        for (const QXmlStreamAttribute& attribute : node.attributes)
            writer.writeAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
        if (!node.children.isEmpty()) {
            for (const NodeT& child : node.children)
                writeNode(writer, child);
            writer.writeEndElement();
        }
        break;
    case Kind::Text:
        writer.writeCharacters(node.text);
        break;
    case Kind::CData:
        writer.writeCDATA(node.text);
        break;
    case Kind::Comment:
        writer.writeComment(node.text);
        break;
    case Kind::ProcessingInstruction:
        writer.writeProcessingInstruction(node.name, node.text);
        break;
    }
}

template<typename NodeT> QString serialise(const NodeT& node)
{
    QString text;
    QXmlStreamWriter writer(&text);
    writeNode(writer, node);
    writer.writeEndDocument(); // closes an empty element left open, and adds a line feed
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

} // namespace

QByteArray FormMap::toXml() const
{
    const QString lineEnd = QStringLiteral("\r\n");
    QString text;
    if (m_declaration)
        text += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + lineEnd;
    for (const Node& node : m_prolog)
        text += serialise(node) + lineEnd;
    text += serialise(m_root) + lineEnd;
    for (const Node& node : m_epilog)
        text += serialise(node) + lineEnd;
    return text.toUtf8();
}

void FormMap::save(const QString& path) const
{
    const QByteArray bytes = toXml();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw QuilletError(translateMessage(QStringLiteral("Unable to write to %1")).arg(path) + QStringLiteral(": ")
            + file.errorString());
}
