#pragma once

#include <QString>

#include <array>

// One fact about the author's company or the current program that can be
// pasted or filled into a web form.
class CatalogueEntry {
public:
    CatalogueEntry() = default;
    CatalogueEntry(QString captionText, QString field)
        : caption(std::move(captionText))
        , fieldName(std::move(field))
    { }

    const QString& getValue() const { return value; }
    void setValue(const QString& text) { value = text; }

    QString value;
    QString caption; // English; shown translated, stored untranslated as the [PowerPaste] key
    bool inPowerPaste = true;
    QString fieldName; // the Programs column or companies.ini key holding the value
};

// The fixed list of 47 properties, addressed by index everywhere: 0 to 12 the
// company, 13 an empty separator, 14 to 46 the current program.
class PropertyCatalogue {
public:
    static constexpr int Count = 47;
    static constexpr int FirstCompany = 0;
    static constexpr int LastCompany = 12;
    static constexpr int Separator = 13;
    static constexpr int FirstProgram = 14;
    static constexpr int LastProgram = 46;

    // Indices other layers address by name.
    enum Index {
        Company = 0,
        ProgramName = 14,
        FileSize = 19,
        FileSizeKB = 20,
        FileSizeMB = 21,
        FileDate = 22,
        FileName = 23,
        Desc2000 = 44,
        PadPath = 46,
    };

    PropertyCatalogue();

    std::array<CatalogueEntry, Count> items;

    CatalogueEntry& operator[](int index) { return items.at(static_cast<size_t>(index)); }
    const CatalogueEntry& operator[](int index) const { return items.at(static_cast<size_t>(index)); }

    static bool isValidIndex(int index) { return index >= 0 && index < Count; }

    // Fills index 19 with the stored text and 20 and 21 with the derived sizes in
    // KB (whole, rounded toward zero) and MB (two decimals, locale separator).
    void setFileSize(const QString& storedText);
};

// The kilobyte and megabyte views of a byte count.
QString fileSizeKB(qint32 bytes);
QString fileSizeMB(qint32 bytes);
