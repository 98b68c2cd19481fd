#include "LoginDialog.h"

#include "HelpWindow.h"
#include "Settings.h"
#include "UiTranslation.h"
#include "WindowTranslator.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

LoginDialog::LoginDialog(Settings& config, QWidget* parent)
    : QDialog(parent)
    , m_config(config)
{
    setObjectName(QStringLiteral("PasswdDlg"));
    setWindowTitle(QStringLiteral("Login Dialog"));
    // A fixed dialog with a title and no system buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    auto* loginLabel = new QLabel(QStringLiteral("Enter LoginID:"), this);
    loginLabel->setObjectName(QStringLiteral("lblLoginID"));
    m_loginId = new QLineEdit(this);
    m_loginId->setObjectName(QStringLiteral("LoginID"));
    loginLabel->setBuddy(m_loginId);
    auto* passwordLabel = new QLabel(QStringLiteral("Enter password:"), this);
    passwordLabel->setObjectName(QStringLiteral("Label1"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("Password"));
    m_password->setEchoMode(QLineEdit::Password);
    // A star for every character, whatever the style's own mask.
    m_password->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    passwordLabel->setBuddy(m_password);

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKBtn"));
    okButton->setToolTip(QStringLiteral("Quit and Save Changes"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("CancelBtn"));
    cancelButton->setToolTip(QStringLiteral("Quit and Do Not Save Changes"));
    // Esc closes the dialog with Cancel too.
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(loginLabel);
    layout->addWidget(m_loginId);
    layout->addWidget(passwordLabel);
    layout->addWidget(m_password);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_language = createWindowLanguage(this, translationPaths());
}

const QStringList& LoginDialog::translationPaths()
{
    static const QStringList paths {QStringLiteral("PasswdDlg.Caption"), QStringLiteral("PasswdDlg.Label1.Caption"),
        QStringLiteral("PasswdDlg.lblLoginID.Caption"), QStringLiteral("PasswdDlg.OKBtn.Hint"),
        QStringLiteral("PasswdDlg.OKBtn.Caption"), QStringLiteral("PasswdDlg.CancelBtn.Hint")};
    return paths;
}

QString LoginDialog::loginId() const
{
    return m_loginId->text();
}

QString LoginDialog::password() const
{
    return m_password->text();
}

void LoginDialog::accept()
{
    m_config.memberLoginId = m_loginId->text();
    m_config.memberPassword = m_password->text();
    QDialog::accept();
}

void LoginDialog::showEvent(QShowEvent* event)
{
    m_language->applyLanguage(m_config);
    m_loginId->setText(m_config.memberLoginId);
    m_password->setText(m_config.memberPassword);
    m_loginId->selectAll();
    m_loginId->setFocus();
    QDialog::showEvent(event);
    adjustSize();
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    raise();
    activateWindow();
}

void LoginDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        HelpWindow::showTopic(HelpContext, this);
        return;
    }
    QDialog::keyPressEvent(event);
}
