#include "PageCommands.h"

#include "DataSelectorRows.h"
#include "DataSession.h"
#include "FormControlKey.h"
#include "FormFillCommands.h"
#include "LateFieldWatch.h"
#include "MessageTranslation.h"
#include "PageFormAdapter.h"
#include "QuilletError.h"
#include "SandboxCheck.h"

#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace {

const QCommandLineOption kSite(
    QStringLiteral("site"), QStringLiteral("The site the page belongs to."), QStringLiteral("NAME"));
const QCommandLineOption kProgram(
    QStringLiteral("program"), QStringLiteral("The program whose values are used."), QStringLiteral("NAME"));
const QCommandLineOption kSettle(QStringLiteral("settle"),
    QStringLiteral("How long to go on filling fields the page adds after the fill before printing (default 3000; "
                   "0 prints at once)."),
    QStringLiteral("MS"));
const QCommandLineOption kPreview(QStringLiteral("preview"),
    QStringLiteral(
        "Print only the controls the fill would change, as it would leave them, and leave the page as it was."));
constexpr int kLoadTimeoutMs = 60000;

void addPageOptions(QCommandLineParser& parser)
{
    parser.addPositionalArgument(QStringLiteral("url"), QStringLiteral("the page's address or file"));
    parser.addOption(kSite);
    parser.addOption(kProgram);
}

// Everything a page command works with: the tables, the current site and
// program as the site selector and programs list would set them, the data
// selector's rows, and a page with the address loaded.
class PageSession {
public:
    explicit PageSession(const QCommandLineParser& parser, const QString& programDirectory)
        : m_data(programDirectory)
        , m_rows(m_data.properties())
        , m_profile(new QWebEngineProfile())
        , m_page(new QWebEnginePage(m_profile))
        , m_adapter(m_page)
    {
        const QString site = parser.value(kSite);
        SubmissionDatabase& dm = m_data.dm();
        dm.requireOpen(Table::Sites);
        SiteCursor& sites = dm.sites();
        if (!sites.locate(site)) {
            // The site selector lists only sites that pass the filter; a
            // command names any site of the table.
            sites.setFiltered(false);
            sites.refresh();
            if (!sites.locate(site))
                throw QuilletError(translateMessage(QStringLiteral("The site \"%1\" does not exist.")).arg(site));
        }
        // A program without a record would fill every field with nothing
        // (and capture under its name): it is refused as a site is.
        const QString program = parser.value(kProgram);
        QStringList programs;
        dm.loadPrograms(programs);
        if (!programs.contains(program))
            throw QuilletError(translateMessage(QStringLiteral("The program \"%1\" does not exist.")).arg(program));
        dm.loadProgram(program);
        m_rows.fillCaptions();
        m_rows.refreshData();
        load(QUrl::fromUserInput(parser.positionalArguments().first(), QDir::currentPath(), QUrl::AssumeLocalFile));
    }

    ~PageSession()
    {
        delete m_page;
        delete m_profile;
    }

    PageFormAdapter& adapter() { return m_adapter; }

    FormFillCommands::Context fillContext()
    {
        const SiteCursor& sites = m_data.dm().sites();
        FormFillCommands::Context context;
        context.programDirectory = m_data.config().programDirectory();
        context.rows = &m_rows;
        context.site = SiteAccount {sites.currentSiteName(), sites.field(QStringLiteral("Username")).toString(),
            sites.field(QStringLiteral("Password")).toString()};
        context.programName = m_data.properties()[PropertyCatalogue::ProgramName].getValue();
        return context;
    }

private:
    void load(const QUrl& url)
    {
        QEventLoop loop;
        bool finished = false;
        bool ok = false;
        QObject::connect(m_page, &QWebEnginePage::loadFinished, &loop, [&](bool success) {
            finished = true;
            ok = success;
            loop.quit();
        });
        QTimer::singleShot(kLoadTimeoutMs, &loop, &QEventLoop::quit);
        m_page->load(url);
        loop.exec();
        if (!finished)
            throw QuilletError(QStringLiteral("The page %1 did not load in time.").arg(url.toString()));
        if (!ok)
            throw QuilletError(QStringLiteral("The page %1 could not be loaded.").arg(url.toString()));
    }

    DataSession m_data;
    DataSelectorRows m_rows;
    QWebEngineProfile* m_profile; // off the record: nothing of the page is kept
    QWebEnginePage* m_page;
    PageFormAdapter m_adapter;
};

QString jsonString(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray {text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString controlJson(const FormControl& control)
{
    QString json
        = QStringLiteral("{\"key\": %1, \"type\": %2, \"value\": %3")
              .arg(jsonString(FormControlKey::of(control)), jsonString(control.type), jsonString(control.value));
    if (FormControlKey::isCheckable(control.type))
        json
            += QStringLiteral(", \"checked\": ") + (control.checked ? QStringLiteral("true") : QStringLiteral("false"));
    if (control.tag == QLatin1String("SELECT")) {
        QStringList selected;
        for (const FormOption& option : control.options) {
            if (option.selected)
                selected.append(jsonString(option.text));
        }
        json += QStringLiteral(", \"selected\": [") + selected.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    return json + QLatin1Char('}');
}

// The note on frames of other sites left out, on stderr so that stdout keeps
// its one format.
void printUnreadFramesNote(CommandContext& context, int unreadFrames)
{
    const QString note = FormFillCommands::unreadFramesNote(unreadFrames);
    if (!note.isEmpty())
        context.err << note << '\n';
}

// Lets the fields the page adds after the fill be filled until the watch's window is over.
void settle(PageFormAdapter& adapter, int windowMs)
{
    LateFieldWatch* watch = LateFieldWatch::running(adapter);
    if (!watch)
        return;
    QEventLoop loop;
    QObject::connect(watch, &LateFieldWatch::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(windowMs + kLoadTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
}

int checkPageArguments(const QCommandLineParser& parser, CommandContext& context, const QString& command)
{
    if (parser.positionalArguments().size() != 1 || !parser.isSet(kSite) || !parser.isSet(kProgram)) {
        context.err << command << ": give URL, --site NAME and --program NAME\n";
        return ExitUsage;
    }
    const QString sandbox = browserSandboxProblem();
    if (!sandbox.isEmpty()) {
        context.err << sandbox << '\n';
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace

void CaptureCommand::configure(QCommandLineParser& parser) const
{
    addPageOptions(parser);
}

int CaptureCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    if (const int usage = checkPageArguments(parser, context, name()))
        return usage;
    PageSession session(parser, context.programDirectory);
    const FormFillCommands::Outcome outcome
        = FormFillCommands::runAndWait(FormFillCommands::Command::SaveForm, session.adapter(), session.fillContext());
    if (outcome.status.isEmpty())
        return ExitFailure;
    context.out << outcome.status << '\n';
    printUnreadFramesNote(context, outcome.unreadFrames);
    return ExitSuccess;
}

void FillCommand::configure(QCommandLineParser& parser) const
{
    addPageOptions(parser);
    parser.addOption(kSettle);
    parser.addOption(kPreview);
}

int FillCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    if (const int usage = checkPageArguments(parser, context, name()))
        return usage;
    int settleMs = FormFillContext::DefaultLateFieldWindowMs;
    if (parser.isSet(kSettle)) {
        bool number = false;
        settleMs = parser.value(kSettle).toInt(&number);
        if (!number || settleMs < 0) {
            context.err << name() << ": --settle takes a number of milliseconds, 0 or more\n";
            return ExitUsage;
        }
    }
    PageSession session(parser, context.programDirectory);
    FormFillCommands::Context fillContext = session.fillContext();
    fillContext.lateFieldWindowMs = settleMs;
    if (parser.isSet(kPreview)) {
        const FormFillCommands::Outcome outcome
            = FormFillCommands::runAndWait(FormFillCommands::Command::Preview, session.adapter(), fillContext);
        if (outcome.status.isEmpty())
            return ExitFailure; // the error has been shown
        for (const FormControl& control : outcome.preview)
            context.out << controlJson(control) << '\n';
        printUnreadFramesNote(context, outcome.unreadFrames);
        return ExitSuccess;
    }
    FormFillCommands::autoFillAndWait(session.adapter(), fillContext);
    settle(session.adapter(), settleMs);
    const PageFormAdapter::SnapshotResult result = session.adapter().snapshot();
    if (!result.ok)
        throw QuilletError(QStringLiteral("The form of the page could not be read. %1").arg(result.error));
    for (const FormControl& control : result.snapshot.controls)
        context.out << controlJson(control) << '\n';
    printUnreadFramesNote(context, result.snapshot.unreadFrames);
    return ExitSuccess;
}
