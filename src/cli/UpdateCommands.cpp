#include "UpdateCommands.h"

#include "DataSession.h"
#include "HttpClient.h"
#include "QuilletError.h"
#include "SiteListPublisher.h"
#include "TransferProgress.h"
#include "UpdateCheck.h"
#include "UpdateManifest.h"

#include <QDir>
#include <QElapsedTimer>

#include <cmath>
#include <limits>

namespace {

const QCommandLineOption kLogin(QStringLiteral("login"),
    QStringLiteral(
        "Log in to the members area as ID (stored as the login dialog stores it) instead of the stored login."),
    QStringLiteral("ID"));
const QCommandLineOption kPassword(
    QStringLiteral("password"), QStringLiteral("The password that goes with --login."), QStringLiteral("PW"));
const QCommandLineOption kSitesVersion(QStringLiteral("sites-version"),
    QStringLiteral("The version number of the published site list (required)."), QStringLiteral("X"));
const QCommandLineOption kProgramVersion(QStringLiteral("program-version"),
    QStringLiteral("The newest program version to announce (default: this program's)."), QStringLiteral("Y"));

constexpr int kProgressIntervalMs = 200;

// The check's side on the command line: the login given or stored, messages
// to stdout, failures to stderr.
class CommandLineUser : public UpdateCheckUser {
public:
    CommandLineUser(Settings& config, CommandContext& context, bool loginGiven, QString loginId, QString password)
        : m_config(config)
        , m_context(context)
        , m_loginGiven(loginGiven)
        , m_loginId(std::move(loginId))
        , m_password(std::move(password))
    { }

    bool askLogin(QString& loginId, QString& password) override
    {
        if (m_loginGiven) {
            // As the login dialog's OK: the login is kept for the next check.
            m_config.memberLoginId = m_loginId;
            m_config.memberPassword = m_password;
            m_config.saveSettings();
        }
        loginId = m_config.memberLoginId;
        password = m_config.memberPassword;
        return true;
    }
    void showMessage(const QString& text) override
    {
        m_context.out << text << '\n';
        m_context.out.flush();
    }
    void showFailure(const QString& text) override
    {
        m_context.err << text << '\n';
        m_context.err.flush();
    }

private:
    Settings& m_config;
    CommandContext& m_context;
    bool m_loginGiven;
    QString m_loginId;
    QString m_password;
};

// Writes the progress texts to stderr, one per line; while bytes arrive at
// most one line every 200 ms, and the last count before "Done" always.
class ProgressPrinter {
public:
    ProgressPrinter(TransferProgress& progress, QTextStream& err)
        : m_err(err)
    {
        QObject::connect(&progress, &TransferProgress::statusTextChanged, &progress, [this](const QString& text) {
            const bool count = text.endsWith(QLatin1String(" bytes."));
            if (count && m_clock.isValid() && m_clock.elapsed() < kProgressIntervalMs) {
                m_pending = text;
                return;
            }
            if (!count && !m_pending.isEmpty())
                print(m_pending);
            m_pending.clear();
            print(text);
            if (count)
                m_clock.start();
            else
                m_clock.invalidate();
        });
    }

private:
    void print(const QString& text)
    {
        m_err << text << '\n';
        m_err.flush();
    }

    QTextStream& m_err;
    QElapsedTimer m_clock;
    QString m_pending;
};

} // namespace

void CheckUpdatesCommand::configure(QCommandLineParser& parser) const
{
    parser.addOption(kLogin);
    parser.addOption(kPassword);
}

int CheckUpdatesCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    if (!parser.positionalArguments().isEmpty())
        return usageError(context, QStringLiteral("takes no arguments"));
    if (parser.isSet(kLogin) != parser.isSet(kPassword))
        return usageError(context, QStringLiteral("--login and --password go together"));

    DataSession data(context.programDirectory);
    HttpClient client;
    TransferProgress progress;
    progress.attach(client);
    const ProgressPrinter printer(progress, context.err);
    CommandLineUser user(data.config(), context, parser.isSet(kLogin), parser.value(kLogin), parser.value(kPassword));
    UpdateCheck check(data.config(), data.dm(), client, progress, user);
    switch (check.run()) {
    case UpdateCheck::Outcome::Updated:
        data.config().saveSettings();
        return ExitSuccess;
    case UpdateCheck::Outcome::UpToDate:
        return ExitSuccess;
    default:
        return ExitFailure;
    }
}

void PublishSitesCommand::configure(QCommandLineParser& parser) const
{
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("the folder the web server serves"));
    parser.addOption(kSitesVersion);
    parser.addOption(kProgramVersion);
}

int PublishSitesCommand::run(const QCommandLineParser& parser, CommandContext& context)
{
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1)
        return usageError(context, QStringLiteral("name one folder"));
    if (!parser.isSet(kSitesVersion))
        return usageError(context, QStringLiteral("--sites-version is required"));
    const double unset = std::numeric_limits<double>::quiet_NaN();
    const double sitesVersion = UpdateManifest::parseNumber(parser.value(kSitesVersion), unset);
    if (std::isnan(sitesVersion))
        return usageError(context, QStringLiteral("--sites-version takes a number"));
    double programVersion = UpdateCheck::programVersion();
    if (parser.isSet(kProgramVersion)) {
        programVersion = UpdateManifest::parseNumber(parser.value(kProgramVersion), unset);
        if (std::isnan(programVersion))
            return usageError(context, QStringLiteral("--program-version takes a number"));
    }

    DataSession data(context.programDirectory);
    const SiteListPublisher publisher(data.dm());
    const SiteListPublisher::Result result
        = publisher.publish(QDir(arguments.first()).absolutePath(), sitesVersion, programVersion);
    for (const QString& changed : result.changed)
        context.err << name() << ": " << changed << " written on one line, without blanks at either end\n";
    context.out << QDir::toNativeSeparators(result.archiveFile) << ": " << result.sites << " sites, " << result.dead
                << " marked dead\n";
    context.out << QDir::toNativeSeparators(result.manifestFile)
                << ": SitesVer=" << UpdateManifest::fileText(sitesVersion)
                << ", QuilletVer=" << UpdateManifest::fileText(programVersion) << '\n';
    return ExitSuccess;
}
