#pragma once

#include <QString>

class HttpClient;
class Settings;
class SubmissionDatabase;
class TransferProgress;

// What the update check asks of whoever runs it: the window (login dialog and
// message boxes) or the command line (the given login, stdout and stderr).
class UpdateCheckUser {
public:
    virtual ~UpdateCheckUser() = default;

    // Asks for the members-area login, offering the stored one; stores what
    // the user confirms. False when the user cancelled.
    virtual bool askLogin(QString& loginId, QString& password) = 0;
    // A message of the check: a new program version, "Site data updated",
    // "Your site data is up to date.".
    virtual void showMessage(const QString& text) = 0;
    // A problem the check reports itself before it stops: no server set, a
    // reply other than 200, a check already running.
    virtual void showFailure(const QString& text) = 0;
};

// "Check for site updates": fetches the server's manifest, announces a newer
// program version, and when the server's site list is newer than the one
// installed asks for the members-area login, downloads the site list archive
// and merges it. Every message is translated.
//
// Files left in the program directory: quilletver.ini after it was fetched;
// no sites.zip (a failed download leaves none, a merged archive is deleted by
// the merge). The program folder's update lock (SiteUpdateLock) is held for
// the whole check. The setting
// SiteVer changes only after a committed merge (in memory; the caller saves
// the settings as it always does).
class UpdateCheck {
public:
    enum class Outcome {
        UpToDate,       // "Your site data is up to date."
        Updated,        // merged; SiteVer now the server's
        LoginCancelled, // the user cancelled the login: "The check for site updates was cancelled."
        NotAnswered,    // a reply other than 200 came back; its status was shown
        MergeFailed,    // the merge reported its problem and rolled back
        NoServer,       // no usable update server is set; said so
        AlreadyRunning, // another check runs, here or in another program on the same folder; said so
    };

    static constexpr const char* ManifestPath = "/download/quilletver.ini";
    static constexpr const char* ArchivePath = "/members/sites.zip";
    static constexpr qint64 MaxManifestBytes = 1024 * 1024;
    static constexpr qint64 MaxArchiveBytes = 512LL * 1024 * 1024;

    UpdateCheck(Settings& config, SubmissionDatabase& dm, HttpClient& client, TransferProgress& progress,
        UpdateCheckUser& user);

    // The whole check. Failures of a transfer (no connection, a time-out, a
    // 4xx or 5xx status) and a site list that cannot be read raise
    // QuilletError and end the check; a cancelled transfer raises
    // TransferCancelled.
    Outcome run();

    // Downloads a server path into localFile with the progress shown; true
    // when the server answered 200. Another status is shown to the user and
    // gives false.
    bool downloadFile(const QString& path, const QString& localFile, qint64 maxBytes);

    // True while a check runs anywhere in the program.
    static bool isRunning();

    // The program's own version (3.2).
    static double programVersion();
    // "Quillet version 3.21 is now available." (translated words, the user's decimal separator).
    static QString announcement(double version);

private:
    Settings& m_config;
    SubmissionDatabase& m_dm;
    HttpClient& m_client;
    TransferProgress& m_progress;
    UpdateCheckUser& m_user;
};
