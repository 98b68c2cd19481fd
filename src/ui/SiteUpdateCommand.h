#pragma once

#include "HttpClient.h"
#include "TransferProgress.h"

#include <QObject>
#include <QPointer>

class QLabel;
class QProgressBar;
class QWidget;
class Settings;
class SubmissionDatabase;

// The main window's "Check for site updates": runs the update check with the
// window's HTTP client (whose cookies last for the run), asks for the login
// with the login dialog, shows the check's messages in message boxes and the
// transfer in the status bar and progress bar, with the hourglass cursor
// while a file is transferred. The window stays usable meanwhile.
class SiteUpdateCommand : public QObject {
    Q_OBJECT
public:
    // statusText and progressBar are the window's; they outlive the command.
    SiteUpdateCommand(Settings& config, QWidget* window, QLabel* statusText, QProgressBar* progressBar);
    ~SiteUpdateCommand() override;

    void setDataModule(SubmissionDatabase* dm) { m_dm = dm; }

    // The command. A failed transfer raises QuilletError, which the command
    // leaves to the application's error handler; a cancelled one ends it
    // without a message. Either way the status bar says what happened.
    void run();

    // Stops a transfer under way (the window's Stop command).
    void cancel();

    HttpClient& client() { return m_client; }
    TransferProgress& progress() { return m_progress; }

private:
    void showBar();

    Settings& m_config;
    QPointer<QWidget> m_window;
    QLabel* m_statusText;
    QProgressBar* m_progressBar;
    SubmissionDatabase* m_dm = nullptr;
    HttpClient m_client;
    TransferProgress m_progress;
    bool m_cursorSet = false;
};
