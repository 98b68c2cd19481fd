#include "PropertyCatalogue.h"

#include "MessageTranslation.h"

#include <QLocale>

namespace {

struct Entry {
    const char* caption;
    const char* fieldName;
};

// The captions are message texts: the data selector shows them translated.
constexpr Entry kEntries[PropertyCatalogue::Count] = {
    {MESSAGE_NOOP("Company"), "Company"},
    {MESSAGE_NOOP("WebSite"), "WebSite"},
    {MESSAGE_NOOP("EMail"), "EMail"},
    {MESSAGE_NOOP("Contact"), "Contact"},
    {MESSAGE_NOOP("ContactEMail"), "ContactEMail"},
    {MESSAGE_NOOP("TelNo"), "TelNo"},
    {MESSAGE_NOOP("Addr1"), "Addr1"},
    {MESSAGE_NOOP("Addr2"), "Addr2"},
    {MESSAGE_NOOP("City"), "City"},
    {MESSAGE_NOOP("State"), "State"},
    {MESSAGE_NOOP("Country"), "Country"},
    {MESSAGE_NOOP("Postal"), "Postal"},
    {MESSAGE_NOOP("Links"), "Links"},
    {"", ""},
    {MESSAGE_NOOP("Program"), "ProgramName"},
    {MESSAGE_NOOP("Version"), "Version"},
    {MESSAGE_NOOP("Prog URL"), "ProgramUrl"},
    {MESSAGE_NOOP("Buy URL"), "PurchaseUrl"},
    {MESSAGE_NOOP("Keywords"), "Keywords"},
    {MESSAGE_NOOP("File size"), "FileSize"},
    {MESSAGE_NOOP("File size KB"), "FileSize"},
    {MESSAGE_NOOP("File size MB"), "FileSize"},
    {MESSAGE_NOOP("File date"), "VersionDate"},
    {MESSAGE_NOOP("File name"), "FileName"},
    {MESSAGE_NOOP("Price"), "Price"},
    {MESSAGE_NOOP("License"), "License"},
    {MESSAGE_NOOP("OS"), "OS"},
    {MESSAGE_NOOP("Install"), "Install"},
    {MESSAGE_NOOP("Trial period"), "TrialPeriod"},
    {MESSAGE_NOOP("Expire date"), "ExpireDate"},
    {MESSAGE_NOOP("Screen URL"), "ScreenShotUrl"},
    {MESSAGE_NOOP("Icon URL"), "IconUrl"},
    {MESSAGE_NOOP("DL URL1"), "Dl1"},
    {MESSAGE_NOOP("DL URL2"), "Dl2"},
    {MESSAGE_NOOP("DL URL3"), "Dl3"},
    {MESSAGE_NOOP("DL URL4"), "Dl4"},
    {MESSAGE_NOOP("PAD URL"), "PadUrl"},
    {MESSAGE_NOOP("Sys req"), "SystemReq"},
    {MESSAGE_NOOP("Limitations"), "Limitations"},
    {MESSAGE_NOOP("Rev notes"), "ReviewerNotes"},
    {MESSAGE_NOOP("Desc45"), "Desc45"},
    {MESSAGE_NOOP("Desc80"), "Desc80"},
    {MESSAGE_NOOP("Desc250"), "Desc250"},
    {MESSAGE_NOOP("Desc450"), "Desc450"},
    {MESSAGE_NOOP("Desc2000"), "Desc800"},
    {MESSAGE_NOOP("Changes"), "Changes"},
    {MESSAGE_NOOP("PAD Path"), "PadPath"},
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
