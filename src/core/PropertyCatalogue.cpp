#include "PropertyCatalogue.h"

#include <QLocale>

namespace {

struct Entry {
    const char* caption;
    const char* fieldName;
};

constexpr Entry kEntries[PropertyCatalogue::Count] = {
    {"Company", "Company"},
    {"WebSite", "WebSite"},
    {"EMail", "EMail"},
    {"Contact", "Contact"},
    {"ContactEMail", "ContactEMail"},
    {"TelNo", "TelNo"},
    {"Addr1", "Addr1"},
    {"Addr2", "Addr2"},
    {"City", "City"},
    {"State", "State"},
    {"Country", "Country"},
    {"Postal", "Postal"},
    {"Links", "Links"},
    {"", ""},
    {"Program", "ProgramName"},
    {"Version", "Version"},
    {"Prog URL", "ProgramUrl"},
    {"Buy URL", "PurchaseUrl"},
    {"Keywords", "Keywords"},
    {"File size", "FileSize"},
    {"File size KB", "FileSize"},
    {"File size MB", "FileSize"},
    {"File date", "VersionDate"},
    {"File name", "FileName"},
    {"Price", "Price"},
    {"License", "License"},
    {"OS", "OS"},
    {"Install", "Install"},
    {"Trial period", "TrialPeriod"},
    {"Expire date", "ExpireDate"},
    {"Screen URL", "ScreenShotUrl"},
    {"Icon URL", "IconUrl"},
    {"DL URL1", "Dl1"},
    {"DL URL2", "Dl2"},
    {"DL URL3", "Dl3"},
    {"DL URL4", "Dl4"},
    {"PAD URL", "PadUrl"},
    {"Sys req", "SystemReq"},
    {"Limitations", "Limitations"},
    {"Rev notes", "ReviewerNotes"},
    {"Desc45", "Desc45"},
    {"Desc80", "Desc80"},
    {"Desc250", "Desc250"},
    {"Desc450", "Desc450"},
    {"Desc2000", "Desc800"},
    {"Changes", "Changes"},
    {"PAD Path", "PadPath"},
};

} // namespace

PropertyCatalogue::PropertyCatalogue()
{
    for (int i = 0; i < Count; ++i)
        items[static_cast<size_t>(i)]
            = CatalogueEntry(QString::fromLatin1(kEntries[i].caption), QString::fromLatin1(kEntries[i].fieldName));
}

QString fileSizeKB(qint32 bytes)
{
    return QString::number(bytes / 1024);
}

QString fileSizeMB(qint32 bytes)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<double>(bytes) / 1048576.0, 'f', 2);
}

void PropertyCatalogue::setFileSize(const QString& storedText)
{
    // The stored field is a 32-bit integer; an empty field reads as 0.
    const qint32 bytes = storedText.trimmed().toInt();
    (*this)[FileSize].setValue(storedText);
    (*this)[FileSizeKB].setValue(fileSizeKB(bytes));
    (*this)[FileSizeMB].setValue(fileSizeMB(bytes));
}
