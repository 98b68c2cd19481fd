#include "Settings.h"

#include "IniDocument.h"
#include "MessageTranslation.h"
#include "QuilletError.h"

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
    for (int i = 0; i < PropertyCatalogue::Count; ++i) {
        if (i != PropertyCatalogue::Separator)
            function(i);
    }
}

// A settings file that holds a password is its owner's alone, whatever
// mode it had when it was made by hand.
FileSaver::Access accessFor(const IniDocument& ini)
{
    const bool password = !ini.readString(kEMail, QStringLiteral("EMailPassword"), QString()).isEmpty()
        || !ini.readString(kConfig, QStringLiteral("MemberPassword"), QString()).isEmpty();
    return password ? FileSaver::Access::Private : FileSaver::Access::OwnerOnly;
}

} // namespace

Settings::Settings(QString programDirectory, PropertyCatalogue& properties)
    : m_programDirectory(std::move(programDirectory))
    , m_properties(properties)
{ }

void Settings::loadSettings()
{
    const IniDocument ini = IniDocument::load(settingsFile());
    autoFillFormFields = ini.readBool(kGeneral, kAutoFill, true);
    hostAddress = ini.readString(kEMail, QStringLiteral("HostAddress"), QString());
    from = ini.readString(kEMail, QStringLiteral("From"), QString());
    emailLoginId = ini.readString(kEMail, QStringLiteral("EMailLoginID"), QString());
    emailPassword = ini.readString(kEMail, QStringLiteral("EMailPassword"), QString());
    authentication = ini.readBool(kEMail, QStringLiteral("Authentication"), false);
    emailPort = ini.readInteger(kEMail, QStringLiteral("Port"), 25);
    // A port that is no number is kept as 0, which the mail sender refuses
    // with a clear message, rather than mail going to port 25 unasked.
    if (!ini.readString(kEMail, QStringLiteral("Port"), QString()).trimmed().isEmpty()
        && ini.readInteger(kEMail, QStringLiteral("Port"), -1) == -1
        && ini.readInteger(kEMail, QStringLiteral("Port"), -2) == -2)
        emailPort = 0;
    emailSecurity = ini.readString(kEMail, QStringLiteral("Security"), QStringLiteral("none"));
    emailCaFile = ini.readString(kEMail, QStringLiteral("CAFile"), QString());
    memberLoginId = ini.readString(kConfig, QStringLiteral("MemberLoginID"), QString());
    memberPassword = ini.readString(kConfig, QStringLiteral("MemberPassword"), QString());
    lastPadPath = ini.readString(kConfig, QStringLiteral("LastPADPath"), m_programDirectory);
    lastArcPath = ini.readString(kConfig, QStringLiteral("LastArcPath"), m_programDirectory);
    language = ini.readString(kConfig, QStringLiteral("Language"), QStringLiteral("English"));
    siteFilter = ini.readString(kConfig, QStringLiteral("SiteFilter"), QString::fromLatin1(DefaultSiteFilter));
    lastCompany = ini.readString(kConfig, QStringLiteral("LastCompany"), QString());
    const QString lastCompanyAsRead = lastCompany;
    updateServer = ini.readString(kConfig, QStringLiteral("UpdateServer"), QString());

    if (!lastCompany.isEmpty()) {
        loadCompany(lastCompany);
    } else {
        // Company details kept in quillet.ini by earlier versions; saveSettings
        // moves them to companies.ini.
        for (int i = PropertyCatalogue::FirstCompany; i <= PropertyCatalogue::LastCompany; ++i)
            m_properties[i].setValue(ini.readString(kCompany, m_properties[i].fieldName, QString()));
        lastCompany = m_properties[PropertyCatalogue::Company].getValue();
    }

    m_properties[PropertyCatalogue::ProgramName].setValue(
        ini.readString(kLastProgram, QStringLiteral("ProgramName"), QString()));
    siteEffects = true;
    siteVer = ini.readDouble(kOptions, QStringLiteral("SiteVer"), 1.0);
    noteAsRead(generalEntries());
    // The company taken over from [Company] is a change of LastCompany.
    m_asRead.insert(entryId(kConfig, QStringLiteral("LastCompany")), lastCompanyAsRead);
}

QString Settings::entryId(const QString& section, const QString& key)
{
    return section.toLower() + QLatin1Char('\n') + key.toLower();
}

void Settings::noteAsRead(const QVector<Entry>& entries)
{
    for (const Entry& entry : entries)
        m_asRead.insert(entryId(entry.section, entry.key), entry.text);
}

QVector<Settings::Entry> Settings::generalEntries() const
{
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    return {
        {kGeneral, kAutoFill, flag(autoFillFormFields)},
        {kEMail, QStringLiteral("HostAddress"), hostAddress},
        {kEMail, QStringLiteral("From"), from},
        {kEMail, QStringLiteral("EMailLoginID"), emailLoginId},
        {kEMail, QStringLiteral("EMailPassword"), emailPassword},
        {kEMail, QStringLiteral("Authentication"), flag(authentication)},
        {kEMail, QStringLiteral("Port"), QString::number(emailPort)},
        {kEMail, QStringLiteral("Security"), emailSecurity},
        {kEMail, QStringLiteral("CAFile"), emailCaFile},
        {kConfig, QStringLiteral("MemberLoginID"), memberLoginId},
        {kConfig, QStringLiteral("MemberPassword"), memberPassword},
        {kConfig, QStringLiteral("LastCompany"), lastCompany},
        {kConfig, QStringLiteral("LastPADPath"), lastPadPath},
        {kConfig, QStringLiteral("LastArcPath"), lastArcPath},
        {kConfig, QStringLiteral("Language"), language},
        {kConfig, QStringLiteral("SiteFilter"), siteFilter},
        {kConfig, QStringLiteral("UpdateServer"), updateServer},
        {kLastProgram, QStringLiteral("ProgramName"), m_properties[PropertyCatalogue::ProgramName].getValue()},
        {kOptions, QStringLiteral("SiteVer"), IniDocument::doubleText(siteVer)},
    };
}

QVector<Settings::Entry> Settings::powerPasteEntries() const
{
    QVector<Entry> entries;
    forEachPowerPasteEntry([&](int i) {
        entries.append({kPowerPaste, m_properties[i].caption,
            m_properties[i].inPowerPaste ? QStringLiteral("1") : QStringLiteral("0")});
    });
    entries.append({kPowerPaste, kContextMenuIndex, QString::number(browserContextMenuIndex)});
    entries.append({kPowerPaste, kItemsPerColumn, QString::number(menuItemsPerColumn)});
    return entries;
}

void Settings::saveSettings()
{
    IniDocument ini = IniDocument::load(settingsFile());
    const QVector<Entry> entries = generalEntries() + powerPasteEntries();
    ini.eraseSection(kCompany);
    for (const Entry& entry : entries) {
        const auto asRead = m_asRead.constFind(entryId(entry.section, entry.key));
        if (asRead == m_asRead.constEnd() || *asRead != entry.text || !ini.value(entry.section, entry.key))
            ini.writeString(entry.section, entry.key, entry.text);
    }
    ini.save(settingsFile(), accessFor(ini));
    noteAsRead(entries);

    saveCompany();
}

void Settings::saveCompany()
{
    if (lastCompany.isEmpty())
        return;
    const QString problem = companyNameProblem(lastCompany);
    if (!problem.isEmpty())
        throw QuilletError(problem);
    IniDocument companies = IniDocument::load(companiesFile());
    for (int i = PropertyCatalogue::FirstCompany; i <= PropertyCatalogue::LastCompany; ++i)
        companies.writeString(lastCompany, m_properties[i].fieldName, m_properties[i].getValue());
    companies.save(companiesFile(), FileSaver::Access::OwnerOnly);
}

QString Settings::companyNameProblem(const QString& name)
{
    if (IniDocument::isSectionName(name))
        return QString();
    if (name.trimmed() != name && IniDocument::isSectionName(name.trimmed()))
        return translateMessage(QStringLiteral("A company name cannot begin or end with a blank."));
    return translateMessage(QStringLiteral("A company name cannot contain \"]\" or a line break."));
}

void Settings::listCompanies(QStringList& list) const
{
    list = IniDocument::load(companiesFile()).sectionNames();
}

void Settings::loadCompany(const QString& name)
{
    lastCompany = name;
    m_properties[PropertyCatalogue::Company].setValue(name);
    const IniDocument companies = IniDocument::load(companiesFile());
    for (int i = PropertyCatalogue::FirstCompany + 1; i <= PropertyCatalogue::LastCompany; ++i)
        m_properties[i].setValue(companies.readString(name, m_properties[i].fieldName, QString()));
}

void Settings::loadPopUpList(QuickPasteList& list) const
{
    const IniDocument ini = IniDocument::load(settingsFile());
    for (int n = 1; n <= MaxQuickPasteItems; ++n) {
        const int index = ini.readInteger(kPopUpList, QString::number(n), -1);
        if (index == -1)
            break;
        // Only a hand-edited file holds other indices; such an item is skipped.
        if (PropertyCatalogue::isValidIndex(index) && index != PropertyCatalogue::Separator)
            list.appendQuickPasteItem(index);
    }
}

void Settings::savePopUpList(const QuickPasteList& list) const
{
    IniDocument ini = IniDocument::load(settingsFile());
    const QVector<int> items = list.quickPasteItems();
    for (int n = 0; n < items.size(); ++n)
        ini.writeInteger(kPopUpList, QString::number(n + 1), items.at(n));
    // The end mark after a shorter list: a key left from a longer list (a file
    // edited by hand) can then never be read as part of this one.
    if (items.size() < MaxQuickPasteItems)
        ini.writeInteger(kPopUpList, QString::number(items.size() + 1), -1);
    ini.save(settingsFile(), accessFor(ini));
}

void Settings::loadWindowGeometry(const QString& prefix, WindowGeometry& window, int& splitter) const
{
    const IniDocument ini = IniDocument::load(settingsFile());
    const WindowGeometry defaults;
    window.x = ini.readInteger(kGeometry, prefix + QLatin1Char('X'), defaults.x);
    window.y = ini.readInteger(kGeometry, prefix + QLatin1Char('Y'), defaults.y);
    window.width = ini.readInteger(kGeometry, prefix + QLatin1Char('W'), defaults.width);
    window.height = ini.readInteger(kGeometry, prefix + QLatin1Char('H'), defaults.height);
    splitter = std::max(kMinimumSplitter, ini.readInteger(kGeometry, kSplitter, kDefaultSplitter));
}

bool Settings::hasSplitterLocation() const
{
    return !IniDocument::load(settingsFile()).readString(kGeometry, kSplitter, QString()).isEmpty();
}

void Settings::saveWindowGeometry(const QString& prefix, const WindowGeometry& window, int splitter) const
{
    IniDocument ini = IniDocument::load(settingsFile());
    ini.writeInteger(kGeometry, prefix + QLatin1Char('X'), window.x);
    ini.writeInteger(kGeometry, prefix + QLatin1Char('Y'), window.y);
    ini.writeInteger(kGeometry, prefix + QLatin1Char('W'), window.width);
    ini.writeInteger(kGeometry, prefix + QLatin1Char('H'), window.height);
    ini.writeInteger(kGeometry, kSplitter, splitter);
    ini.save(settingsFile(), accessFor(ini));
}

void Settings::loadPowerPasteSettings()
{
    const IniDocument ini = IniDocument::load(settingsFile());
    browserContextMenuIndex = ini.readInteger(kPowerPaste, kContextMenuIndex, 1);
    menuItemsPerColumn = ini.readInteger(kPowerPaste, kItemsPerColumn, kDefaultItemsPerColumn);
    if (menuItemsPerColumn < 1) // 0 means the default; a negative count could never lay out a menu
        menuItemsPerColumn = kDefaultItemsPerColumn;
    forEachPowerPasteEntry(
        [&](int i) { m_properties[i].inPowerPaste = ini.readBool(kPowerPaste, m_properties[i].caption, true); });
    noteAsRead(powerPasteEntries());
}
