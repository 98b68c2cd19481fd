#include "MailWindow.h"

#include "FileDialogFilter.h"
#include "MessageTranslator.h"
#include "Settings.h"
#include "UiTranslation.h"
#include "WindowTranslator.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const QStringList kTranslationPaths {"frmMail.Caption", "frmMail.SpeedButton1.Caption", "frmMail.SpeedButton2.Caption",
    "frmMail.Label11.Caption", "frmMail.Label1.Caption", "frmMail.Label2.Caption", "frmMail.Label3.Caption",
    "frmMail.Label4.Caption", "frmMail.DisplayMemo.Hint"};

QLabel* newLabel(QWidget* parent, const char* name, const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(buddy);
    return label;
}

// A text box one line high that may hold several lines; Tab leaves it.
QPlainTextEdit* newAddressBox(QWidget* parent, const char* name)
{
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setTabChangesFocus(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int frame = 2 * box->frameWidth() + 2 * static_cast<int>(box->document()->documentMargin());
    box->setFixedHeight(box->fontMetrics().lineSpacing() + frame + 2);
    return box;
}

// The text of a box with CR LF between lines, as the boxes of the Windows world give it.
QString windowsText(const QString& text)
{
    QString result = text;
    result.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

// A box shows lines separated by LF.
QString boxText(const QString& text)
{
    QString result = text;
    return result.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

MailWindow::MailWindow(Settings& config, QWidget* parent)
    : QDialog(parent)
    , m_config(config)
    , m_form(config)
{
    setObjectName(QStringLiteral("frmMail"));
    setWindowTitle(QStringLiteral("Mailer"));
    buildWindow();

    connect(&m_form, &MailForm::statusLine, this, [this](const QString& line) {
        m_display->appendPlainText(line);
        m_display->verticalScrollBar()->setValue(m_display->verticalScrollBar()->maximum());
    });
    connect(&m_form, &MailForm::sendingChanged, this, &MailWindow::sendingChanged);
    connect(&m_form, &MailForm::finished, this, &MailWindow::sendFinished);

    m_language = createWindowLanguage(this, kTranslationPaths);
    m_language->applyLanguage(m_config);
}

MailWindow::~MailWindow() = default;

const QStringList& MailWindow::translationPaths()
{
    return kTranslationPaths;
}

void MailWindow::buildWindow()
{
    m_to = newAddressBox(this, "edtEMail");
    m_cc = newAddressBox(this, "edtCC");
    m_bcc = newAddressBox(this, "edtBCC");
    m_subject = new QLineEdit(this);
    m_subject->setObjectName(QStringLiteral("edtSubj"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Memo1"));
    m_text->setTabChangesFocus(true);
    m_display = new QPlainTextEdit(this);
    m_display->setObjectName(QStringLiteral("DisplayMemo"));
    m_display->setReadOnly(true);
    m_display->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_display->setFocusPolicy(Qt::ClickFocus); // skipped by Tab
    m_display->setToolTip(QStringLiteral("This memo shows info messages"));
    m_display->setStatusTip(m_display->toolTip());
    m_display->setMaximumBlockCount(5000);
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("edtFile"));
    m_browse = new QPushButton(QStringLiteral("..."), this);
    m_browse->setObjectName(QStringLiteral("btnBrowseFile"));
    m_browse->setAutoDefault(false);
    m_browse->setMaximumWidth(m_browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 24);
    m_send = new QPushButton(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("&Mail"), this);
    m_send->setObjectName(QStringLiteral("SpeedButton1"));
    m_send->setAutoDefault(false);
    m_done = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Done"), this);
    m_done->setObjectName(QStringLiteral("SpeedButton2"));
    m_done->setAutoDefault(false);
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);

    auto* grid = new QGridLayout();
    grid->addWidget(newLabel(this, "Label11", QStringLiteral("E-Mail:"), m_to), 0, 0);
    grid->addWidget(m_to, 0, 1, 1, 2);
    grid->addWidget(newLabel(this, "Label3", QStringLiteral("CC:"), m_cc), 1, 0);
    grid->addWidget(m_cc, 1, 1, 1, 2);
    grid->addWidget(newLabel(this, "Label4", QStringLiteral("BCC:"), m_bcc), 2, 0);
    grid->addWidget(m_bcc, 2, 1, 1, 2);
    grid->addWidget(newLabel(this, "Label1", QStringLiteral("Subject:"), m_subject), 3, 0);
    grid->addWidget(m_subject, 3, 1, 1, 2);
    grid->addWidget(m_text, 4, 0, 1, 3);
    grid->addWidget(m_display, 5, 0, 1, 3);
    grid->addWidget(newLabel(this, "Label2", QStringLiteral("File:"), m_file), 6, 0);
    grid->addWidget(m_file, 6, 1);
    grid->addWidget(m_browse, 6, 2);
    grid->setRowStretch(4, 3);
    grid->setRowStretch(5, 1);

    auto* buttons = new QHBoxLayout();
    buttons->addWidget(m_send);
    buttons->addWidget(m_done);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addLayout(grid, 1);
    layout->addWidget(m_statusBar);
    layout->setContentsMargins(6, 6, 6, 0);

    connect(m_send, &QPushButton::clicked, this, &MailWindow::sendMail);
    connect(m_done, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_browse, &QPushButton::clicked, this, &MailWindow::browseFile);

    resize(560, 480);
}

void MailWindow::setDraft(const MailDraft& draft)
{
    mailTo = draft.to;
    mailSubject = draft.subject;
    mailBody = draft.body;
    mailCC = draft.cc;
}

void MailWindow::initialize()
{
    setWindowTitle(MailForm::caption(mailTo));
    m_to->setPlainText(boxText(mailTo));
    m_subject->setText(mailSubject);
    m_text->setPlainText(boxText(mailBody));
    m_cc->setPlainText(boxText(mailCC));
    m_bcc->clear();
    m_file->clear();
}

MailFields MailWindow::fields() const
{
    MailFields fields;
    fields.to = windowsText(m_to->toPlainText());
    fields.cc = windowsText(m_cc->toPlainText());
    fields.bcc = windowsText(m_bcc->toPlainText());
    fields.subject = m_subject->text();
    fields.body = windowsText(m_text->toPlainText());
    fields.attachment = m_file->text();
    return fields;
}

void MailWindow::sendMail()
{
    m_form.send(fields());
}

void MailWindow::browseFile()
{
    const QString filter = FileDialogFilter::filterString(translateMsg(fileFilter())); // lng-keys: indirect
    QString chosen;
    if (m_chooseFile) {
        chosen = m_chooseFile(this, filter, m_config.lastArcPath);
    } else {
        // Any name may be typed; one that does not exist is reported below.
        QFileDialog dialog(this, QString(), m_config.lastArcPath, filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("zip"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().first();
    }
    if (chosen.isEmpty())
        return;
    const QString path = MailForm::acceptAttachment(chosen);
    if (!path.isEmpty())
        m_file->setText(path);
}

void MailWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    raise();
    activateWindow();
    initialize();
}

void MailWindow::sendingChanged(bool sending)
{
    m_send->setEnabled(!sending);
}

void MailWindow::sendFinished()
{
    if (m_closeRequested) {
        m_closeRequested = false;
        QDialog::done(m_closeResult);
    }
}

void MailWindow::done(int result)
{
    if (m_form.isSending()) {
        m_closeRequested = true;
        m_closeResult = result;
        m_form.abort();
        return;
    }
    QDialog::done(result);
}
