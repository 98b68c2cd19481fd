#include "TConfig.h"

#include "IniDocument.h"

namespace {

const QString kGeneral = QStringLiteral("General");
const QString kEMail = QStringLiteral("EMail");
const QString kConfig = QStringLiteral("Config");
const QString kCompany = QStringLiteral("Company");
const QString kLastProgram = QStringLiteral("LastProgram");
const QString kOptions = QStringLiteral("Options");
const QString kPowerPaste = QStringLiteral("PowerPaste");
const QString kGeometry = QStringLiteral("Geometry");
const QString kPopUpList = QStringLiteral("PopUpList");

const QString kAutoFill = QStringLiteral("Automatically Fill Form Fields");
const QString kContextMenuIndex = QStringLiteral("Browser context menu index");
const QString kItemsPerColumn = QStringLiteral("Menu items per column");
const QString kSplitter = QStringLiteral("Splitter Location");

constexpr int kDefaultItemsPerColumn = 16;
constexpr int kDefaultSplitter = 80;
constexpr int kMinimumSplitter = 50;

template<typename Function> void forEachPowerPasteEntry(Function function)
{
    for (int i = 0; i < TProperties::Count; ++i) {
        if (i != TProperties::Separator)
            function(i);
    }
}

} // namespace

TConfig::TConfig(QString programDirectory, TProperties& properties)
    : m_programDirectory(std::move(programDirectory))
    , m_properties(properties)
{ }

void TConfig::LoadSettings()
{
    const IniDocument ini = IniDocument::load(settingsFile());
    AutoFillFormFields = ini.readBool(kGeneral, kAutoFill, true);
    HostAddress = ini.readString(kEMail, QStringLiteral("HostAddress"), QString());
    From = ini.readString(kEMail, QStringLiteral("From"), QString());
    EMailLoginID = ini.readString(kEMail, QStringLiteral("EMailLoginID"), QString());
    EMailPassword = ini.readString(kEMail, QStringLiteral("EMailPassword"), QString());
    Authentication = ini.readBool(kEMail, QStringLiteral("Authentication"), false);
    MemberLoginID = ini.readString(kConfig, QStringLiteral("MemberLoginID"), QString());
    MemberPassword = ini.readString(kConfig, QStringLiteral("MemberPassword"), QString());
    LastPADPath = ini.readString(kConfig, QStringLiteral("LastPADPath"), m_programDirectory);
    LastArcPath = ini.readString(kConfig, QStringLiteral("LastArcPath"), m_programDirectory);
    Language = ini.readString(kConfig, QStringLiteral("Language"), QStringLiteral("English"));
    SiteFilter = ini.readString(kConfig, QStringLiteral("SiteFilter"), QString::fromLatin1(DefaultSiteFilter));
    LastCompany = ini.readString(kConfig, QStringLiteral("LastCompany"), QString());

    if (!LastCompany.isEmpty()) {
        LoadCompany(LastCompany);
    } else {
        // Company details kept in quillet.ini by earlier versions; SaveSettings
        // moves them to companies.ini.
        for (int i = TProperties::FirstCompany; i <= TProperties::LastCompany; ++i)
            m_properties[i].SetValue(ini.readString(kCompany, m_properties[i].FieldName, QString()));
        LastCompany = m_properties[TProperties::Company].GetValue();
    }

    m_properties[TProperties::ProgramName].SetValue(
        ini.readString(kLastProgram, QStringLiteral("ProgramName"), QString()));
    SiteEffects = true;
    SiteVer = ini.readDouble(kOptions, QStringLiteral("SiteVer"), 1.0);
}

void TConfig::SaveSettings()
{
    IniDocument ini = IniDocument::load(settingsFile());
    ini.writeBool(kGeneral, kAutoFill, AutoFillFormFields);
    ini.writeString(kEMail, QStringLiteral("HostAddress"), HostAddress);
    ini.writeString(kEMail, QStringLiteral("From"), From);
    ini.writeString(kEMail, QStringLiteral("EMailLoginID"), EMailLoginID);
    ini.writeString(kEMail, QStringLiteral("EMailPassword"), EMailPassword);
    ini.writeBool(kEMail, QStringLiteral("Authentication"), Authentication);
    ini.writeString(kConfig, QStringLiteral("MemberLoginID"), MemberLoginID);
    ini.writeString(kConfig, QStringLiteral("MemberPassword"), MemberPassword);
    ini.writeString(kConfig, QStringLiteral("LastCompany"), LastCompany);
    ini.writeString(kConfig, QStringLiteral("LastPADPath"), LastPADPath);
    ini.writeString(kConfig, QStringLiteral("LastArcPath"), LastArcPath);
    ini.writeString(kConfig, QStringLiteral("Language"), Language);
    ini.writeString(kConfig, QStringLiteral("SiteFilter"), SiteFilter);
    ini.eraseSection(kCompany);
    ini.writeString(kLastProgram, QStringLiteral("ProgramName"), m_properties[TProperties::ProgramName].GetValue());
    ini.writeDouble(kOptions, QStringLiteral("SiteVer"), SiteVer);
    forEachPowerPasteEntry(
        [&](int i) { ini.writeBool(kPowerPaste, m_properties[i].Caption, m_properties[i].InPowerPaste); });
    ini.writeInteger(kPowerPaste, kContextMenuIndex, BrowserContextMenuIndex);
    ini.writeInteger(kPowerPaste, kItemsPerColumn, MenuItemsPerColumn);
    ini.save(settingsFile());

    if (!LastCompany.isEmpty()) {
        IniDocument companies = IniDocument::load(companiesFile());
        for (int i = TProperties::FirstCompany; i <= TProperties::LastCompany; ++i)
            companies.writeString(LastCompany, m_properties[i].FieldName, m_properties[i].GetValue());
        companies.save(companiesFile());
    }
}

void TConfig::ListCompanies(QStringList& list) const
{
    list = IniDocument::load(companiesFile()).sectionNames();
}

void TConfig::LoadCompany(const QString& name)
{
    LastCompany = name;
    m_properties[TProperties::Company].SetValue(name);
    const IniDocument companies = IniDocument::load(companiesFile());
    for (int i = TProperties::FirstCompany + 1; i <= TProperties::LastCompany; ++i)
        m_properties[i].SetValue(companies.readString(name, m_properties[i].FieldName, QString()));
}

void TConfig::LoadPopUpList(QuickPasteList& list) const
{
    const IniDocument ini = IniDocument::load(settingsFile());
    for (int n = 1; n <= MaxQuickPasteItems; ++n) {
        const int index = ini.readInteger(kPopUpList, QString::number(n), -1);
        if (index == -1)
            break;
        // Only a hand-edited file holds other indices; such an item is skipped.
        if (TProperties::isValidIndex(index) && index != TProperties::Separator)
            list.appendQuickPasteItem(index);
    }
}

void TConfig::SavePopUpList(const QuickPasteList& list) const
{
    IniDocument ini = IniDocument::load(settingsFile());
    const QVector<int> items = list.quickPasteItems();
    for (int n = 0; n < items.size(); ++n)
        ini.writeInteger(kPopUpList, QString::number(n + 1), items.at(n));
    // The end mark after a shorter list: a key left from a longer list (a file
    // edited by hand) can then never be read as part of this one.
    if (items.size() < MaxQuickPasteItems)
        ini.writeInteger(kPopUpList, QString::number(items.size() + 1), -1);
    ini.save(settingsFile());
}

void TConfig::LoadWindowGeometry(const QString& prefix, WindowGeometry& window, int& splitter) const
{
    const IniDocument ini = IniDocument::load(settingsFile());
    const WindowGeometry defaults;
    window.x = ini.readInteger(kGeometry, prefix + QLatin1Char('X'), defaults.x);
    window.y = ini.readInteger(kGeometry, prefix + QLatin1Char('Y'), defaults.y);
    window.width = ini.readInteger(kGeometry, prefix + QLatin1Char('W'), defaults.width);
    window.height = ini.readInteger(kGeometry, prefix + QLatin1Char('H'), defaults.height);
    splitter = std::max(kMinimumSplitter, ini.readInteger(kGeometry, kSplitter, kDefaultSplitter));
}

void TConfig::SaveWindowGeometry(const QString& prefix, const WindowGeometry& window, int splitter) const
{
    IniDocument ini = IniDocument::load(settingsFile());
    ini.writeInteger(kGeometry, prefix + QLatin1Char('X'), window.x);
    ini.writeInteger(kGeometry, prefix + QLatin1Char('Y'), window.y);
    ini.writeInteger(kGeometry, prefix + QLatin1Char('W'), window.width);
    ini.writeInteger(kGeometry, prefix + QLatin1Char('H'), window.height);
    ini.writeInteger(kGeometry, kSplitter, splitter);
    ini.save(settingsFile());
}

void TConfig::LoadPowerPasteSettings()
{
    const IniDocument ini = IniDocument::load(settingsFile());
    BrowserContextMenuIndex = ini.readInteger(kPowerPaste, kContextMenuIndex, 1);
    MenuItemsPerColumn = ini.readInteger(kPowerPaste, kItemsPerColumn, kDefaultItemsPerColumn);
    if (MenuItemsPerColumn < 1) // 0 means the default; a negative count could never lay out a menu
        MenuItemsPerColumn = kDefaultItemsPerColumn;
    forEachPowerPasteEntry(
        [&](int i) { m_properties[i].InPowerPaste = ini.readBool(kPowerPaste, m_properties[i].Caption, true); });
}
