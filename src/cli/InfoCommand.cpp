#include "InfoCommand.h"

#include "LanguageFolders.h"
#include "MessageTranslator.h"
#include "ProgramSession.h"
#include "TableSchema.h"

#include <QLocale>

namespace {

QString yesNo(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

int InfoCommand::run(const QCommandLineParser&, CommandContext& context)
{
    ProgramSession session(context.programDirectory);
    session.start();
    useLanguageOf(&session.config());
    Settings& config = session.config();
    config.loadPowerPasteSettings();
    const PropertyCatalogue& properties = session.properties();

    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QTextStream& out = context.out;
    out << "ProgramDirectory: " << context.programDirectory << '\n';
    out << "ProgramDirectoryRule: " << context.programDirectoryRule << '\n';
    out << "Language: " << config.language << '\n';
    out << "LanguageFile: " << languageFilePath(config) << '\n';
    out << "Languages: " << LanguageFolders::names(context.programDirectory).join(QStringLiteral(", ")) << '\n';
    out << "SiteFilter: " << config.siteFilter << '\n';
    out << "SiteVer: " << locale.toString(config.siteVer, 'g', QLocale::FloatingPointShortest) << '\n';
    out << "LastCompany: " << config.lastCompany << '\n';
    for (int i = PropertyCatalogue::FirstCompany; i <= PropertyCatalogue::LastCompany; ++i)
        out << properties[i].fieldName << ": " << properties[i].getValue() << '\n';
    out << "LastProgram: " << properties[PropertyCatalogue::ProgramName].getValue() << '\n';
    out << "AutoFillFormFields: " << yesNo(config.autoFillFormFields) << '\n';
    out << "BrowserContextMenuIndex: " << config.browserContextMenuIndex << '\n';
    out << "MenuItemsPerColumn: " << config.menuItemsPerColumn << '\n';
    out << "UpdateServer: " << config.updateServer << '\n';
    out << "EMailHost: " << config.hostAddress << '\n';
    out << "EMailPort: " << config.emailPort << '\n';
    out << "EMailSecurity: " << config.emailSecurity << '\n';
    out << "EMailCAFile: " << config.emailCaFile << '\n';
    for (Table table : TableSchema::AllTables) {
        const QString name = TableSchema::tableName(table);
        const TableSchema::FileInfo file
            = TableSchema::inspectFile(context.programDirectory + TableSchema::fileName(table), table);
        if (!file.exists) {
            out << name << ": missing" << '\n';
        } else if (!file.error.isEmpty()) {
            out << name << ": unreadable (" << file.error << ')' << '\n';
        } else {
            out << name << ": " << TableSchema::versionText(file.version) << '\n';
            out << name << " rows: " << file.rows << '\n';
        }
    }
    useLanguageOf(nullptr);
    return ExitSuccess;
}
