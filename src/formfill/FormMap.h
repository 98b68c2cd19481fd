#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>
#include <QXmlStreamAttributes>

#include <optional>

// A site form map (or the general form map): the root element
// XML_SITE_SUBMIT_INFO holding one empty CONTROL element per captured control,
// with the attributes Name (the control key), Type and DataField.
//
// The whole document is held in memory, so that whatever else a map holds
// (comments, other elements, more attributes) is written back as it was read.
// The element for a key is the first CONTROL child of the root whose Name
// equals the key exactly; no query text is built from the key, so any key,
// quotes included, is found.
class FormMap {
public:
    struct Control {
        QString name;
        QString type;
        QString dataField;
    };

    // A new map: the root element only, no XML declaration.
    FormMap();

    // Reads the map at path. Raises QuilletError naming the file when it cannot
    // be read, is no well-formed XML, has another root element or carries a
    // document type declaration (never loaded, so no entity of a map is expanded).
    // A file without an encoding declaration that is not UTF-8 is read as Windows-1252.
    static FormMap load(const QString& path);
    static FormMap parse(const QByteArray& bytes, const QString& fileName);

    // The DataField of the key's element: nullopt when the map has no element
    // for key, empty when the element has no DataField.
    std::optional<QString> dataField(const QString& key) const;

    // Replaces the key's element by a new one with Name, Type and DataField in
    // this order, in its place; appends it when there is none. Returns false,
    // changing nothing, when one of the texts holds characters that XML cannot
    // carry (control characters).
    bool setControl(const QString& key, const QString& type, const QString& dataField);

    // The CONTROL children of the root, in document order.
    QVector<Control> controls() const;

    // The document as XML text in UTF-8, no indentation, each top-level node
    // followed by CR LF.
    QByteArray toXml() const;

    // Replaces path atomically with toXml(); a crash mid-write leaves the old
    // file. Raises QuilletError "Unable to write to <path>" when that fails.
    void save(const QString& path) const;

    static bool isXmlText(const QString& text);

private:
    struct Node {
        enum class Kind { Element, Text, CData, Comment, ProcessingInstruction };
        Kind kind = Kind::Element;
        QString name; // element name or processing instruction target
        QString text; // text, comment or processing instruction data
        QXmlStreamAttributes attributes;
        QVector<Node> children;
    };

    void rebuildIndex();
    static Node controlNode(const QString& key, const QString& type, const QString& dataField);

    bool m_declaration = false;
    QVector<Node> m_prolog; // comments and processing instructions before the root
    Node m_root;
    QVector<Node> m_epilog;      // and after it
    QHash<QString, int> m_index; // key -> position of its element among the root's children
};
