#include "RunPanel.h"

#include "UiTranslation.h"
#include "WindowTexts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QStringList kTranslationPaths {QStringLiteral("frmRun.Caption"), QStringLiteral("frmRun.lblUser.Caption"),
    QStringLiteral("frmRun.lblPassword.Caption"), QStringLiteral("frmRun.lblRating.Caption"),
    QStringLiteral("frmRun.lblNotes.Caption"), QStringLiteral("frmRun.btnCopyUser.Caption"),
    QStringLiteral("frmRun.btnCopyPassword.Caption"), QStringLiteral("frmRun.actSubmitted.Caption"),
    QStringLiteral("frmRun.actSkip.Caption"), QStringLiteral("frmRun.actNotApplicable.Caption"),
    QStringLiteral("frmRun.actBack.Caption"), QStringLiteral("frmRun.actStop.Caption")};

} // namespace

RunPanel::RunPanel(QWidget* parent)
    : QDockWidget(QStringLiteral("Submission run"), parent)
{
    setObjectName(QStringLiteral("frmRun"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    // The panel's own toggle follows its title, which has a path.
    WindowTexts::keepCodeText(toggleViewAction());
    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("RunPanelBody"));
    auto* layout = new QVBoxLayout(body);

    m_position = new QLabel(body);
    m_position->setObjectName(QStringLiteral("lblPosition"));
    m_site = new QLabel(body);
    m_site->setObjectName(QStringLiteral("lblSite"));
    QFont bold = m_site->font();
    bold.setBold(true);
    m_site->setFont(bold);
    m_site->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_position);
    layout->addWidget(m_site);

    auto* form = new QGridLayout();
    auto* ratingLabel = new QLabel(QStringLiteral("Rating:"), body);
    ratingLabel->setObjectName(QStringLiteral("lblRating"));
    m_rating = new QLabel(body);
    m_rating->setObjectName(QStringLiteral("lblStars"));
    form->addWidget(ratingLabel, 0, 0);
    form->addWidget(m_rating, 0, 1, 1, 2);
    const auto accountRow = [&](int row, const char* labelName, const QString& caption, const char* editName,
                                const char* buttonName, QLineEdit*& edit) {
        auto* label = new QLabel(caption, body);
        label->setObjectName(QString::fromLatin1(labelName));
        edit = new QLineEdit(body);
        edit->setObjectName(QString::fromLatin1(editName));
        edit->setReadOnly(true);
        label->setBuddy(edit);
        auto* copy = new QPushButton(QStringLiteral("Copy"), body);
        copy->setObjectName(QString::fromLatin1(buttonName));
        QLineEdit* source = edit;
        connect(copy, &QPushButton::clicked, this, [source] { QApplication::clipboard()->setText(source->text()); });
        form->addWidget(label, row, 0);
        form->addWidget(edit, row, 1);
        form->addWidget(copy, row, 2);
    };
    accountRow(1, "lblUser", QStringLiteral("&Username:"), "edUser", "btnCopyUser", m_userName);
    accountRow(2, "lblPassword", QStringLiteral("Pass&word:"), "edPassword", "btnCopyPassword", m_password);
    layout->addLayout(form);

    auto* notesLabel = new QLabel(QStringLiteral("Site notes:"), body);
    notesLabel->setObjectName(QStringLiteral("lblNotes"));
    m_notes = new QPlainTextEdit(body);
    m_notes->setObjectName(QStringLiteral("memNotes"));
    m_notes->setReadOnly(true);
    m_notes->setMaximumHeight(90);
    layout->addWidget(notesLabel);
    layout->addWidget(m_notes);

    m_formMap = new QLabel(body);
    m_formMap->setObjectName(QStringLiteral("lblFormMap"));
    m_formMap->setWordWrap(true);
    m_posted = new QLabel(body);
    m_posted->setObjectName(QStringLiteral("lblPosted"));
    m_posted->setWordWrap(true);
    m_posted->setStyleSheet(QStringLiteral("font-weight: bold; color: #1a5e20"));
    m_note = new QLabel(body);
    m_note->setObjectName(QStringLiteral("lblNote"));
    m_note->setWordWrap(true);
    layout->addWidget(m_formMap);
    layout->addWidget(m_posted);
    layout->addWidget(m_note);

    // Keys that no menu, toolbar or paste chord of the main window uses, and
    // that no text field takes for editing (Ctrl+Shift+arrows select words).
    m_submitted
        = makeAction("actSubmitted", QStringLiteral("Submitted, next"), QKeySequence(Qt::CTRL | Qt::Key_Return));
    m_skip = makeAction("actSkip", QStringLiteral("Skip"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
    m_notApplicable = makeAction(
        "actNotApplicable", QStringLiteral("Not applicable"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    m_back = makeAction("actBack", QStringLiteral("Back"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
    m_stop = makeAction("actStop", QStringLiteral("Stop"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X));
    auto* buttons = new QGridLayout();
    buttons->addWidget(makeButton(m_submitted), 0, 0, 1, 2);
    buttons->addWidget(makeButton(m_skip), 1, 0);
    buttons->addWidget(makeButton(m_notApplicable), 1, 1);
    buttons->addWidget(makeButton(m_back), 2, 0);
    buttons->addWidget(makeButton(m_stop), 2, 1);
    layout->addLayout(buttons);
    layout->addStretch(1);
    setWidget(body);

    m_language = createWindowLanguage(this, kTranslationPaths);
}

const QStringList& RunPanel::translationPaths()
{
    return kTranslationPaths;
}

QAction* RunPanel::makeAction(const char* name, const QString& text, const QKeySequence& key)
{
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

QToolButton* RunPanel::makeButton(QAction* action)
{
    auto* button = new QToolButton(widget() ? widget() : this);
    button->setObjectName(action->objectName() + QStringLiteral("Button"));
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The tooltip names the key; it follows the action's (translated) text.
    const auto tip = [button, action] {
        button->setToolTip(QStringLiteral("%1 (%2)").arg(
            action->text().remove(QLatin1Char('&')), action->shortcut().toString(QKeySequence::NativeText)));
    };
    tip();
    connect(action, &QAction::changed, button, tip);
    return button;
}

void RunPanel::showSite(const SiteView& view)
{
    m_position->setText(view.position);
    m_site->setText(view.siteName);
    m_rating->setText(view.rating);
    m_notes->setPlainText(view.notes);
    m_userName->setText(view.userName);
    m_password->setText(view.password);
    m_formMap->setText(view.formMap);
    m_posted->clear();
}

void RunPanel::showPosted(const QString& text)
{
    m_posted->setText(text);
}

void RunPanel::showNote(const QString& text)
{
    m_note->setText(text);
}
