#pragma once

#include "EmailSubmission.h"
#include "MailForm.h"
#include "MessageTranslation.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class Settings;
class WindowTranslator;

// The mail window "Mailer": the recipients, subject, text and attachment of
// one mail, checked and changed by the user and sent with "&Mail"; the status
// box shows the SMTP conversation as it goes on. Created by its opener with
// the four fields set, shown modally, and deleted afterwards. The window stays
// responsive while a mail is sent; "&Mail" is off meanwhile, and closing the
// window stops the send.
class MailWindow : public QDialog {
    Q_OBJECT

public:
    explicit MailWindow(Settings& config, QWidget* parent = nullptr);
    ~MailWindow() override;

    // Filled by the opener before the window is shown; initialize() puts them
    // into the boxes each time the window is shown.
    QString mailTo;
    QString mailSubject;
    QString mailBody;
    QString mailCC;
    void setDraft(const MailDraft& draft);

    // Caption "Mailer - <MailTo>"; the boxes from the four fields, BCC and the
    // attachment emptied.
    void initialize();

    // "&Mail": sends the boxes' texts (see MailForm::send).
    void sendMail();
    // "...": picks the file to attach, starting in LastArcPath.
    void browseFile();

    // The boxes' texts, line breaks as CR LF.
    MailFields fields() const;
    MailForm& form() { return m_form; }
    WindowTranslator* language() const { return m_language; }

    // The window texts a language file may translate.
    static const QStringList& translationPaths();
    // The attachment dialog's filter list before translation.
    static QString fileFilter()
    {
        return MESSAGE_NOOP(QStringLiteral("Zip Files|*.Zip|Executable Files|*.Exe|All Files|*.*"));
    }

    // Chooses the file for "..."; the default shows an open dialog. Returns the
    // chosen path, or an empty text when cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& filter, const QString& folder)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // Closing while a mail is being sent stops the send; the window closes
    // once its log entry is written.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildWindow();
    void sendingChanged(bool sending);
    void sendFinished();

    Settings& m_config;
    MailForm m_form;
    WindowTranslator* m_language = nullptr;
    FileChooser m_chooseFile;
    bool m_closeRequested = false;
    int m_closeResult = 0;

    QPlainTextEdit* m_to = nullptr;
    QPlainTextEdit* m_cc = nullptr;
    QPlainTextEdit* m_bcc = nullptr;
    QLineEdit* m_subject = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QPlainTextEdit* m_display = nullptr;
    QLineEdit* m_file = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_send = nullptr;
    QPushButton* m_done = nullptr;
    QStatusBar* m_statusBar = nullptr;
};
