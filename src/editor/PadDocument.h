#pragma once

#include "QuilletError.h"

#include <QString>

#include <algorithm>
#include <vector>

// A PAD file read into memory: its elements with their names, texts and
// child nodes in document order. Text, CDATA, comments and processing
// instructions are kept as non-element nodes; blank text between elements is
// dropped. DTDs are skipped and nothing outside the file is ever fetched.
class PadDocument {
public:
    struct Node {
        bool isElement = false;
        QString tagName;
        // The character data of the element and everything below it, with
        // blanks and line breaks at both ends removed.
        QString text;
        // For an element without child elements, its character data as the
        // file holds it, blanks and line breaks at both ends kept; for any
        // other element the same as text.
        QString rawText;
        std::vector<Node> children;

        bool hasChildElements() const
        {
            return std::any_of(children.cbegin(), children.cend(), [](const Node& child) { return child.isElement; });
        }
    };

    // The deepest nesting read; deeper files are refused.
    static constexpr int MaxDepth = 256;
    // Larger files are refused.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    // Reads and parses the file. Raises QuilletError for a file that cannot be
    // read, is too large, uses an encoding that cannot be decoded or is not
    // well-formed XML (naming the line and column).
    static PadDocument load(const QString& path);
    static PadDocument parse(const QByteArray& bytes, const QString& sourceName = QString());

    // The declared or detected encoding turned into text.
    static QString decode(const QByteArray& bytes, const QString& sourceName = QString());

    const Node& root() const { return m_root; }

private:
    Node m_root;
};
