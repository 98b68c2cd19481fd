#include "SiteUpdateCommand.h"

#include "LoginDialog.h"
#include "MessageSink.h"
#include "QuilletError.h"
#include "UpdateCheck.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include <limits>

namespace {

// The window's side of the check: the login dialog and message boxes.
class WindowUser : public UpdateCheckUser {
public:
    WindowUser(Settings& config, QWidget* window)
        : m_config(config)
        , m_window(window)
    { }

    bool askLogin(QString& loginId, QString& password) override
    {
        LoginDialog dialog(m_config, m_window);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        loginId = dialog.loginId();
        password = dialog.password();
        return true;
    }
    void showMessage(const QString& text) override { MessageSink::current().showMessage(text); }
    void showFailure(const QString& text) override { MessageSink::current().showMessage(text); }

private:
    Settings& m_config;
    QWidget* m_window;
};

} // namespace

SiteUpdateCommand::SiteUpdateCommand(Settings& config, QWidget* window, QLabel* statusText, QProgressBar* progressBar)
    : QObject(window)
    , m_config(config)
    , m_window(window)
    , m_statusText(statusText)
    , m_progressBar(progressBar)
{
    m_progress.attach(m_client);
    connect(&m_progress, &TransferProgress::statusTextChanged, m_statusText, &QLabel::setText);
    connect(&m_progress, &TransferProgress::barChanged, this, &SiteUpdateCommand::showBar);
    connect(&m_progress, &TransferProgress::busyChanged, this, [this](bool busy) {
        if (busy && !m_cursorSet)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else if (!busy && m_cursorSet)
            QApplication::restoreOverrideCursor();
        m_cursorSet = busy;
    });
}

SiteUpdateCommand::~SiteUpdateCommand()
{
    if (m_cursorSet)
        QApplication::restoreOverrideCursor();
}

void SiteUpdateCommand::showBar()
{
    const qint64 maximum = m_progress.maximum();
    const qint64 position = m_progress.position();
    if (maximum <= 0) {
        // Unknown length: the bar stays empty.
        m_progressBar->setRange(0, 1);
        m_progressBar->setValue(0);
    } else if (maximum <= std::numeric_limits<int>::max()) {
        m_progressBar->setRange(0, int(maximum));
        m_progressBar->setValue(int(std::min(position, maximum)));
    } else {
        // Lengths beyond the bar's range are shown in thousandths.
        m_progressBar->setRange(0, 1000);
        m_progressBar->setValue(int(std::min(position, maximum) * 1000 / maximum));
    }
    m_progressBar->setVisible(m_progress.isBarVisible());
}

void SiteUpdateCommand::run()
{
    if (!m_dm)
        throw QuilletError(QStringLiteral("The site list is not open."));
    WindowUser user(m_config, m_window);
    UpdateCheck check(m_config, *m_dm, m_client, m_progress, user);
    try {
        check.run();
    } catch (const TransferCancelled& cancelled) {
        // Stopped by the user, or the program is closing: nothing more to say.
        m_statusText->setText(cancelled.text());
    } catch (const QuilletError& error) {
        // The status bar keeps what went wrong after the message box has gone.
        m_statusText->setText(error.text());
        throw;
    }
}

void SiteUpdateCommand::cancel()
{
    m_client.cancel();
}
