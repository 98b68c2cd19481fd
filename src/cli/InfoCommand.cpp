#include "InfoCommand.h"

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
    TConfig& config = session.config();
    config.LoadPowerPasteSettings();
    const TProperties& properties = session.properties();

    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QTextStream& out = context.out;
    out << "ProgramDirectory: " << context.programDirectory << '\n';
    out << "Language: " << config.Language << '\n';
    out << "SiteFilter: " << config.SiteFilter << '\n';
    out << "SiteVer: " << locale.toString(config.SiteVer, 'g', QLocale::FloatingPointShortest) << '\n';
    out << "LastCompany: " << config.LastCompany << '\n';
    for (int i = TProperties::FirstCompany; i <= TProperties::LastCompany; ++i)
        out << properties[i].FieldName << ": " << properties[i].GetValue() << '\n';
    out << "LastProgram: " << properties[TProperties::ProgramName].GetValue() << '\n';
    out << "AutoFillFormFields: " << yesNo(config.AutoFillFormFields) << '\n';
    out << "BrowserContextMenuIndex: " << config.BrowserContextMenuIndex << '\n';
    out << "MenuItemsPerColumn: " << config.MenuItemsPerColumn << '\n';
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
