#include "MailCommands.h"

#include "DataSelectorRows.h"
#include "DataSession.h"
#include "EmailSubmission.h"
#include "EmailTemplate.h"
#include "Helpers.h"
#include "MailForm.h"
#include "MessageSink.h"
#include "MessageTranslator.h"
#include "ProgramSession.h"
#include "QuilletError.h"
#include "RegularFile.h"
#include "TextDecoding.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

const QCommandLineOption kSite(
    QStringLiteral("site"), QStringLiteral("The site, by its exact name."), QStringLiteral("NAME"));
const QCommandLineOption kProgram(
    QStringLiteral("program"), QStringLiteral("The program whose values fill the template."), QStringLiteral("NAME"));
const QCommandLineOption kPage(QStringLiteral("page"),
    QStringLiteral("submit (default), update, or friendly for the request to make the site velmora friendly."),
    QStringLiteral("PAGE"), QStringLiteral("submit"));
const QCommandLineOption kTo(
    QStringLiteral("to"), QStringLiteral("The recipients, instead of a site's mail."), QStringLiteral("ADDRS"));
const QCommandLineOption kSubject(
    QStringLiteral("subject"), QStringLiteral("The subject (with --to)."), QStringLiteral("TEXT"));
const QCommandLineOption kBodyFile(QStringLiteral("body-file"),
    QStringLiteral("A text file holding the message (with --to)."), QStringLiteral("FILE"));
const QCommandLineOption kCc(QStringLiteral("cc"), QStringLiteral("CC recipients."), QStringLiteral("ADDRS"));
const QCommandLineOption kBcc(QStringLiteral("bcc"), QStringLiteral("BCC recipients."), QStringLiteral("ADDRS"));
const QCommandLineOption kAttach(QStringLiteral("attach"), QStringLiteral("A file to attach."), QStringLiteral("FILE"));

constexpr qint64 kMaxBodyFileSize = 16 * 1024 * 1024;

// Messages and questions of the command go to its error stream, one line each.
class ErrorStreamSink : public MessageSink {
public:
    explicit ErrorStreamSink(QTextStream& err)
        : m_err(err)
    { }

    void showMessage(const QString& text, const QString& title) override { write(text, title); }
    bool askYesNo(const QString& text, const QString& title) override
    {
        write(text, title);
        return false;
    }
    Answer askYesNoCancel(const QString& text, const QString& title) override
    {
        write(text, title);
        return Answer::Cancel;
    }

private:
    void write(const QString& text, const QString& title)
    {
        QString line = text;
        line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
        m_err << (title.isEmpty() ? line : title + QStringLiteral(": ") + line) << '\n';
        m_err.flush();
    }

    QTextStream& m_err;
};

void addSelectionOptions(QCommandLineParser& parser)
{
    parser.addOption(kSite);
    parser.addOption(kProgram);
    parser.addOption(kPage);
}

bool parsePage(const QString& text, EmailSubmission::Page& page)
{
    if (text == QLatin1String("submit"))
        page = EmailSubmission::Page::Submit;
    else if (text == QLatin1String("update"))
        page = EmailSubmission::Page::Update;
    else if (text == QLatin1String("friendly"))
        page = EmailSubmission::Page::Friendly;
    else
        return false;
    return true;
}

// Checks the site selection options; returns ExitSuccess or the usage error printed.
int checkSelection(const QCommandLineParser& parser, CommandContext& context, const QString& command)
{
    EmailSubmission::Page page = EmailSubmission::Page::Submit;
    if (!parser.isSet(kSite) || !parser.isSet(kProgram)) {
        context.err << command << ": give --site NAME and --program NAME\n";
        return ExitUsage;
    }
    if (!parsePage(parser.value(kPage), page)) {
        context.err << command << ": --page takes submit, update or friendly\n";
        return ExitUsage;
    }
    return ExitSuccess;
}

// The mail the page command would show for the site and program named on the
// command line. Raises QuilletError with the reason when it would show none.
MailDraft composeForSite(const QCommandLineParser& parser, const QString& programDirectory)
{
    EmailSubmission::Page page = EmailSubmission::Page::Submit;
    parsePage(parser.value(kPage), page);
    const QString siteName = parser.value(kSite);
    const QString programName = parser.value(kProgram);

    DataSession data(programDirectory);
    SubmissionDatabase& dm = data.dm();
    data.locateSite(siteName);
    data.requireProgram(programName);
    dm.loadProgram(programName);
    SiteCursor& sites = dm.sites();
    DataSelectorRows rows(data.properties());
    rows.fillCaptions();
    rows.refreshData();

    EmailSubmission::Site site;
    site.name = sites.currentSiteName();
    dm.getNavLink(QStringLiteral("submit"), site.submitLink);
    dm.getNavLink(QStringLiteral("update"), site.updateLink);
    dm.getNavLink(QStringLiteral("email"), site.emailLink);
    site.velmoraFriendly = sites.field(QStringLiteral("VelmoraFriendly")).toInt() != 0;

    const EmailSubmission::Result result = EmailSubmission::prepare(page, site, programDirectory, rows);
    switch (result.outcome) {
    case EmailSubmission::Outcome::Compose:
        return result.draft;
    case EmailSubmission::Outcome::NotEmail:
        throw QuilletError(
            QStringLiteral("The site %1 takes no e-mail at its %2 page.")
                .arg(site.name,
                    page == EmailSubmission::Page::Update ? QStringLiteral("update") : QStringLiteral("submit")));
    case EmailSubmission::Outcome::AlreadyFriendly:
        throw QuilletError(EmailSubmission::alreadyFriendlyMessage());
    case EmailSubmission::Outcome::NoRequest:
        if (!isEmailAddress(site.emailLink))
            throw QuilletError(QStringLiteral("The site %1 has no e-mail address.").arg(site.name));
        throw QuilletError(translateMsg(QStringLiteral("Cannot open file %1")).arg(result.templatePath));
    case EmailSubmission::Outcome::NothingToShow:
        break;
    }
    throw QuilletError(
        QStringLiteral("The template %1 holds no line: there is no mail to show.").arg(result.templatePath));
}

QString readBodyFile(const QString& path)
{
    // Only a regular file: a pipe would wait for a writer, a device never ends.
    QFile file;
    if (RegularFile::open(file, path) != RegularFile::Problem::None)
        throw QuilletError(translateMsg(QStringLiteral("Cannot open file %1")).arg(path));
    if (file.size() > kMaxBodyFileSize)
        throw QuilletError(QStringLiteral("%1 is larger than %2 MB.").arg(path).arg(kMaxBodyFileSize / (1024 * 1024)));
    // The message box holds lines: each ends in CR LF, whatever the file used.
    QString body;
    for (const QString& line : splitLines(decodeText(file.read(kMaxBodyFileSize))))
        body += line + QStringLiteral("\r\n");
    return body;
}

} // namespace

void ComposeMailCommand::configure(QCommandLineParser& parser) const
{
    addSelectionOptions(parser);
}

int ComposeMailCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    if (const int usage = checkSelection(parser, context, name()))
        return usage;
    const MailDraft draft = composeForSite(parser, context.programDirectory);
    context.out << "To: " << draft.to << '\n' << "Subject: " << draft.subject << '\n' << '\n' << draft.body;
    return ExitSuccess;
}

void SendMailCommand::configure(QCommandLineParser& parser) const
{
    addSelectionOptions(parser);
    for (const QCommandLineOption& option : {kTo, kSubject, kBodyFile, kCc, kBcc, kAttach})
        parser.addOption(option);
}

int SendMailCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    const bool bySite = parser.isSet(kSite) || parser.isSet(kProgram);
    if (bySite == parser.isSet(kTo)) {
        context.err << name() << ": give either --site NAME --program NAME, or --to ADDRS --subject TEXT\n";
        return ExitUsage;
    }
    MailFields fields;
    if (bySite) {
        if (parser.isSet(kSubject) || parser.isSet(kBodyFile)) {
            context.err << name() << ": --subject and --body-file go with --to\n";
            return ExitUsage;
        }
        if (const int usage = checkSelection(parser, context, name()))
            return usage;
        fields = MailForm::fieldsFor(composeForSite(parser, context.programDirectory));
    } else {
        if (!parser.isSet(kSubject) || parser.isSet(kPage)) {
            context.err << name() << ": --to needs --subject TEXT (and takes no --page)\n";
            return ExitUsage;
        }
        fields.to = parser.value(kTo);
        fields.subject = parser.value(kSubject);
        if (parser.isSet(kBodyFile))
            fields.body = readBodyFile(parser.value(kBodyFile));
    }
    if (parser.isSet(kCc))
        fields.cc = parser.value(kCc);
    fields.bcc = parser.value(kBcc);
    if (parser.isSet(kAttach))
        fields.attachment = QFileInfo(parser.value(kAttach)).absoluteFilePath();

    ProgramSession session(context.programDirectory);
    session.start();
    useLanguageOf(&session.config());
    ErrorStreamSink sink(context.err);
    ScopedMessageSink scopedSink(&sink);

    MailForm form(session.config());
    std::optional<bool> sent;
    QObject::connect(&form, &MailForm::statusLine, &form, [&context](const QString& line) {
        context.err << line << '\n';
        context.err.flush();
    });
    QObject::connect(&form, &MailForm::finished, &form, [&sent](bool ok) { sent = ok; });
    form.send(fields);
    form.waitForFinished();
    useLanguageOf(nullptr);
    return sent.value_or(false) ? ExitSuccess : ExitFailure;
}
