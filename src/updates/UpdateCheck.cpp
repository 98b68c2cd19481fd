#include "UpdateCheck.h"

#include "HttpClient.h"
#include "MessageTranslator.h"
#include "PrintableText.h"
#include "Settings.h"
#include "SiteUpdateLock.h"
#include "SubmissionDatabase.h"
#include "TransferProgress.h"
#include "UpdateManifest.h"
#include "UpdateServerAddress.h"

#include <QFile>

namespace {

bool g_running = false;

// Marks a check as running for its lifetime, unless one already runs.
class RunningMark {
public:
    RunningMark()
        : m_owner(!g_running)
    {
        g_running = true;
    }
    ~RunningMark()
    {
        if (m_owner)
            g_running = false;
    }
    RunningMark(const RunningMark&) = delete;
    RunningMark& operator=(const RunningMark&) = delete;

    bool owner() const { return m_owner; }

private:
    bool m_owner;
};

} // namespace

UpdateCheck::UpdateCheck(
    Settings& config, SubmissionDatabase& dm, HttpClient& client, TransferProgress& progress, UpdateCheckUser& user)
    : m_config(config)
    , m_dm(dm)
    , m_client(client)
    , m_progress(progress)
    , m_user(user)
{ }

bool UpdateCheck::isRunning()
{
    return g_running;
}

double UpdateCheck::programVersion()
{
    return QStringLiteral(QUILLET_VERSION).toDouble();
}

QString UpdateCheck::announcement(double version)
{
    return translateMsg(QStringLiteral("Quillet version")) + QLatin1Char(' ') + UpdateManifest::displayText(version)
        + QLatin1Char(' ') + translateMsg(QStringLiteral("is now available."));
}

bool UpdateCheck::downloadFile(const QString& path, const QString& localFile, qint64 maxBytes)
{
    const UpdateServerAddress server(m_config.updateServer);
    const QUrl url = server.urlFor(path);
    HttpClient::Reply reply;
    {
        const TransferProgress::Scope shown(m_progress);
        reply = m_client.download(url, localFile, maxBytes);
    }
    if (reply.status == 200)
        return true;
    // What came with another status is no file of the check's.
    QFile::remove(localFile);
    m_user.showFailure(reply.statusText + QStringLiteral(" (")
        + printableText(url.toDisplayString(QUrl::RemoveUserInfo)) + QLatin1Char(')'));
    return false;
}

UpdateCheck::Outcome UpdateCheck::run()
{
    const RunningMark running;
    if (!running.owner()) {
        m_user.showFailure(translateMsg(QStringLiteral("A check for site updates is already running.")));
        return Outcome::AlreadyRunning;
    }
    const UpdateServerAddress server(m_config.updateServer);
    if (!server.isValid()) {
        m_user.showFailure(server.problem(m_config.settingsFile()));
        return Outcome::NoServer;
    }

    const QString folder = m_config.programDirectory();
    // One update at a time in a program folder, whichever program runs it.
    SiteUpdateLock lock(folder);
    if (!lock.acquire()) {
        m_user.showFailure(SiteUpdateLock::busyText(folder));
        return Outcome::AlreadyRunning;
    }
    const QString manifestFile = folder + QStringLiteral("quilletver.ini");
    if (!downloadFile(QString::fromLatin1(ManifestPath), manifestFile, MaxManifestBytes))
        return Outcome::NotAnswered;
    const UpdateManifest manifest = UpdateManifest::read(manifestFile);

    // A newer program is announced first; the site list is checked in any case.
    if (manifest.quilletVer > programVersion())
        m_user.showMessage(announcement(manifest.quilletVer));

    if (!(manifest.sitesVer > m_config.siteVer)) {
        m_user.showMessage(translateMsg(QStringLiteral("Your site data is up to date.")));
        return Outcome::UpToDate;
    }

    QString loginId;
    QString password;
    if (!m_user.askLogin(loginId, password)) {
        m_user.showMessage(translateMsg(QStringLiteral("The check for site updates was cancelled.")));
        return Outcome::LoginCancelled;
    }
    m_client.setLogin(loginId, password);

    if (!downloadFile(QString::fromLatin1(ArchivePath), folder + QStringLiteral("sites.zip"), MaxArchiveBytes))
        return Outcome::NotAnswered;
    if (!m_dm.updateSites())
        return Outcome::MergeFailed;
    m_config.siteVer = manifest.sitesVer;
    m_user.showMessage(translateMsg(QStringLiteral("Site data updated")));
    return Outcome::Updated;
}
