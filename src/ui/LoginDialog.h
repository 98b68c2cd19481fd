#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class Settings;
class WindowTranslator;

// The members-area login asked for before the site list is downloaded
// (object name "PasswdDlg"). Each time it is shown it comes to the front,
// takes the language in force and offers the stored login; OK stores what
// was typed in the settings (MemberLoginID, MemberPassword), Cancel stores
// nothing. F1 shows the help page on site updates.
class LoginDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int HelpContext = 1580;

    explicit LoginDialog(Settings& config, QWidget* parent = nullptr);

    // The properties a language file may set, in the order they are applied.
    static const QStringList& translationPaths();

    QString loginId() const;
    QString password() const;

    WindowTranslator* language() const { return m_language; }

    // Stores the login, then closes with OK.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Settings& m_config;
    QLineEdit* m_loginId;
    QLineEdit* m_password;
    WindowTranslator* m_language;
};
