#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// An INI (profile) file held in memory line by line. Section and key names are
// matched without regard to case; a value is the rest of its line after the
// first "=" with surrounding blanks removed; the first section or key of a name
// wins. Changing a value rewrites its line only: every other line of the file,
// comments and unknown keys included, is kept as it was.
//
// The length limits of the Windows profile functions are lifted: values and
// section lists are read whole.
class IniDocument {
public:
    IniDocument() = default;

    // Reads path; a missing or unreadable file gives an empty document.
    static IniDocument load(const QString& path);

    // Replaces path atomically: a crash mid-write leaves the old file. Raises
    // QuilletError "Unable to write to <path>" when the file system refuses.
    void save(const QString& path) const;

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
    // The decimal separator of the user's locale; a value that does not convert gives the default.
    double readDouble(const QString& section, const QString& key, double defaultValue) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    // Shortest general decimal form with the decimal separator of the user's locale.
    void writeDouble(const QString& section, const QString& key, double value);

    void eraseSection(const QString& section);

    bool isEmpty() const { return m_lines.isEmpty(); }

private:
    struct Range {
        int header = -1; // line of the section header, -1 when the section is missing
        int end = 0;     // one past the section's last line
    };

    Range findSection(const QString& section) const;
    QString valueOfLine(const QString& line) const;
    int findKey(const Range& range, const QString& key) const;

    QStringList m_lines;
    QString m_lineEnd = QStringLiteral("\n");
    bool m_unreadable = false; // the file exists but could not be read: never overwrite it
    bool m_stripQuotes = false;
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
