#pragma once

#include "FileSaver.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>
#include <vector>

// An INI (profile) file held in memory line by line. Section and key names are
// matched without regard to case; a value is the rest of its line after the
// first "=" with surrounding blanks removed; the first section or key of a name
// wins. Changing a value rewrites its line only: every other line of the file,
// comments and unknown keys included, is written back byte for byte as it was
// read, its line end included.
//
// Decoding: a file with a UTF-16 byte order mark is UTF-16 and is written back
// as UTF-16. Any other file is decoded line by line: a line that is valid
// UTF-8 as UTF-8, any other line as Windows-1252, so that one stray byte
// spoils no more than its own line. Lines the program writes are UTF-8.
//
// The sections are indexed once per read, so that looking up a section costs
// the same in a file of ten sections as in one of a hundred thousand.
//
// The length limits of the Windows profile functions are lifted: values and
// section lists are read whole.
class IniDocument {
public:
    IniDocument() = default;

    // Reads path; a missing file gives an empty document. A file that exists
    // but cannot be read (no permission, a folder, a FIFO or device) gives an
    // empty document that refuses to be saved over it.
    static IniDocument load(const QString& path);
    // The document held in bytes, as load would read them from a file.
    static IniDocument fromBytes(const QByteArray& bytes);
    // The bytes save writes.
    QByteArray toBytes() const;

    // Replaces path atomically: a crash mid-write leaves the old file. Raises
    // QuilletError "Unable to write to <path>" when the file system refuses.
    // With FileSaver::Access::OwnerOnly a file that does not exist yet is
    // created readable by its owner only.
    void save(const QString& path, FileSaver::Access access = FileSaver::Access::Default) const;

    // Whether name reads back as itself when written as a section header: no
    // "]", no line break, no blanks at either end.
    static bool isSectionName(const QString& name);
    // Whether name reads back as itself when written as a key: not empty, no
    // "=", no line break, no blanks at either
    // end, and not starting with "[" or ";" (a header or a comment).
    static bool isKeyName(const QString& name);

    // Values enclosed in one pair of matching single or double quotes lose them
    // on reading (the rule of language files).
    void setStripQuotes(bool strip) { m_stripQuotes = strip; }

    bool hasSection(const QString& section) const;
    QStringList sectionNames() const;
    QStringList keys(const QString& section) const;
    std::optional<QString> value(const QString& section, const QString& key) const;
    // Every key of section with its value, in file order, the first of a name only.
    QVector<QPair<QString, QString>> entries(const QString& section) const;
    // For every section that has key, its value, by the section's name case
    // folded: what value(section, key) gives, for all sections in one pass
    // over the file (the first section and the first key of a name win).
    QHash<QString, QString> valuesOfKey(const QString& key) const;

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal, or hexadecimal after "0x" / "0X"; a value that is no integer gives the default.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    // Read as an integer: any non-zero value is true.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    // The decimal separator of the user's locale, or else a point; group
    // separators are refused. A value that does not convert, and "nan" or
    // "inf", give the default.
    double readDouble(const QString& section, const QString& key, double defaultValue) const;

    // Raise QuilletError, changing nothing, for a section or key name that
    // would read back as another name (see isSectionName and isKeyName). A
    // line break in the value becomes a blank.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    // Shortest general decimal form with the decimal separator of the user's locale.
    void writeDouble(const QString& section, const QString& key, double value);
    // The text writeDouble writes for value.
    static QString doubleText(double value);

    void eraseSection(const QString& section);

    bool isEmpty() const { return m_lines.isEmpty(); }

private:
    enum class Encoding : quint8 { Utf8, Utf16LE, Utf16BE };
    enum class LineEnd : quint8 { None, LF, CRLF, CR };

    struct Line {
        QString text;
        LineEnd end = LineEnd::LF;
        // Read from Windows-1252 bytes and not changed since: written back
        // as those bytes.
        bool windows1252 = false;
    };

    struct Range {
        int header = -1; // line of the section header, -1 when the section is missing
        int end = 0;     // one past the section's last line
    };

    void appendDecodedLines(QStringView text);
    void appendByteLines(QByteArrayView bytes);
    Line newLine(const QString& text) const;
    void insertLine(int at, const QString& text);

    void buildIndex() const;
    Range findSection(const QString& section) const;
    QString valueOfLine(const QString& line) const;
    int findKey(const Range& range, const QString& key) const;

    QVector<Line> m_lines;
    Encoding m_encoding = Encoding::Utf8;
    QByteArray m_bom;                // the byte order mark the file began with, written back as it was
    LineEnd m_lineEnd = LineEnd::LF; // the line end of lines the program adds
    bool m_unreadable = false;       // the file exists but could not be read: never overwrite it
    bool m_stripQuotes = false;

    // The section index, built on first use and kept up to date by writes.
    mutable bool m_indexed = false;
    mutable std::vector<int> m_headers;         // every header line, in file order
    mutable QHash<QString, int> m_firstSection; // case-folded name -> position in m_headers of its first header
};

// One INI file on disk. Every operation opens the file, does its work and
// closes it again, so every write reaches the disk at once.
class IniFile {
public:
    explicit IniFile(QString path)
        : m_path(std::move(path))
    { }

    const QString& path() const { return m_path; }

    IniDocument read() const { return IniDocument::load(m_path); }

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    QStringList sectionNames() const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    void eraseSection(const QString& section);

private:
    QString m_path;
};
