#include "RunController.h"

#include "BrowserView.h"
#include "DataSelectorRows.h"
#include "EmailSubmission.h"
#include "EmailSubmissionCommand.h"
#include "FormFileNames.h"
#include "HistoryWindow.h"
#include "MailWindow.h"
#include "MainWindow.h"
#include "MessageSink.h"
#include "MessageTranslation.h"
#include "QuilletError.h"
#include "RunPanel.h"
#include "Settings.h"
#include "SiteListModel.h"
#include "SubmissionDatabase.h"
#include "SubmissionProgress.h"
#include "SubmissionRun.h"
#include "UploadChooserPage.h"
#include "WindowTranslator.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

RunController::RunController(MainWindow& window, Settings& config, SubmissionDatabase& dm, DataSelectorRows& rows)
    : QObject(&window)
    , m_window(window)
    , m_config(config)
    , m_dm(dm)
    , m_rows(rows)
{
    setObjectName(QStringLiteral("RunController"));
    m_run = new SubmissionRun(dm, this);
    m_panel = new RunPanel(&window);
    window.addDockWidget(Qt::LeftDockWidgetArea, m_panel);
    m_panel->hide();
    for (QAction* action : {m_panel->submittedAction(), m_panel->skipAction(), m_panel->notApplicableAction(),
             m_panel->backAction(), m_panel->stopAction()})
        window.addAction(action);
    connect(m_panel->submittedAction(), &QAction::triggered, this, &RunController::markSubmitted);
    connect(m_panel->skipAction(), &QAction::triggered, this, &RunController::skip);
    connect(m_panel->notApplicableAction(), &QAction::triggered, this, &RunController::markNotApplicable);
    connect(m_panel->backAction(), &QAction::triggered, this, &RunController::goBack);
    connect(m_panel->stopAction(), &QAction::triggered, this, &RunController::stopRun);
    connect(m_run, &SubmissionRun::finished, this, &RunController::runFinished);
    m_panel->language()->applyLanguage(m_config);

    m_progress = new QLabel(&window);
    m_progress->setObjectName(QStringLiteral("lblProgress"));
    window.statusBar()->addPermanentWidget(m_progress);
    connect(&dm, &SubmissionDatabase::programFlagsChanged, this, &RunController::updateProgress);
    connect(&dm.sites(), &SiteCursor::rowsReset, this, &RunController::updateProgress);

    if (auto* page = qobject_cast<UploadChooserPage*>(window.browser()->page())) {
        connect(page, &UploadChooserPage::formSubmitted, this, [this] {
            if (m_pageOpened)
                m_posted = true;
        });
    }
    connect(window.browser(), &QWebEngineView::loadFinished, this, &RunController::pageLoaded);
    installActions();
    updateProgress();
    updateActions();
    std::optional<SubmissionRun::Record> left;
    try {
        left = SubmissionRun::unfinishedRun(m_dm);
    } catch (const QuilletError& error) {
        qWarning("The submission runs could not be read: %s", qPrintable(error.text()));
    }
    if (left) {
        window.statusBar()->showMessage(translateMessage(
            QStringLiteral("The submission run of %1 was left unfinished: Sites, Resume submission run."))
                                            .arg(left->program));
    }
}

RunController::~RunController() = default;

void RunController::installActions()
{
    QMenu* sites = m_window.menuBar()->findChild<QMenu*>(QStringLiteral("Sites1"));
    QMenu* view = m_window.menuBar()->findChild<QMenu*>(QStringLiteral("View1"));
    QToolBar* toolBar = m_window.findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    const auto make = [this](const char* name, const QString& text) {
        auto* action = new QAction(text, &m_window); // translated by its path, Form1.NAME.Caption
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    QAction* start = make("StartSubmissionRun", QStringLiteral("Start submission &run..."));
    connect(start, &QAction::triggered, this, [this] { startRun(RunKind::Submit); });
    QAction* update = make("StartUpdateRun", QStringLiteral("Start up&date run..."));
    connect(update, &QAction::triggered, this, [this] { startRun(RunKind::Update); });
    m_resume = make("ResumeSubmissionRun", QStringLiteral("Resume submission run"));
    connect(m_resume, &QAction::triggered, this, &RunController::resumeRun);
    QAction* history = make("SubmissionHistory1", QStringLiteral("Submission &history..."));
    connect(history, &QAction::triggered, this, &RunController::showHistory);
    if (sites) {
        sites->addSeparator();
        sites->addActions({start, update, m_resume});
    }
    if (view)
        view->addAction(history);
    if (toolBar) {
        toolBar->addAction(start);
        toolBar->addAction(update);
    }
}

bool RunController::isRunning() const
{
    return m_run->isActive();
}

QString RunController::progressText() const
{
    return m_progress->text();
}

void RunController::updateProgress()
{
    try {
        m_progress->setText(SubmissionProgress::count(m_dm).text());
    } catch (const QuilletError& error) {
        m_progress->setText(QString());
        qWarning("The progress could not be counted: %s", qPrintable(error.text()));
    }
}

void RunController::updateActions()
{
    bool unfinished = false;
    try {
        unfinished = !m_run->isActive() && SubmissionRun::unfinishedRun(m_dm).has_value();
    } catch (const QuilletError&) { }
    m_resume->setEnabled(unfinished);
}

void RunController::startRun(RunKind kind)
{
    if (m_dm.programFlags().program().isEmpty()) {
        MessageSink::current().showMessage(translateMessage(QStringLiteral("Choose a program first.")));
        return;
    }
    try {
        if (!m_run->start(kind)) {
            MessageSink::current().showMessage(
                translateMessage(QStringLiteral("No site is left to do for %1.")).arg(m_dm.programFlags().program()));
            return;
        }
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return;
    }
    showBegunRun();
}

void RunController::resumeRun()
{
    std::optional<SubmissionRun::Record> left;
    try {
        left = SubmissionRun::unfinishedRun(m_dm);
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return;
    }
    if (!left)
        return;
    // The run goes on with its own program.
    const int index = m_window.programsComboBox()->findText(left->program);
    if (index < 0) {
        MessageSink::current().showMessage(
            translateMessage(QStringLiteral("The program \"%1\" does not exist.")).arg(left->program));
        return;
    }
    m_window.programsComboBox()->setCurrentIndex(index);
    m_window.selectProgram(index);
    try {
        if (!m_run->resume(*left)) {
            updateActions();
            return;
        }
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return;
    }
    showBegunRun();
}

void RunController::showBegunRun()
{
    m_panel->show();
    openCurrentSite();
    updateActions();
}

void RunController::stopRun()
{
    m_run->stop();
    m_pageOpened = false;
    m_panel->hide();
    updateActions();
}

void RunController::record(int outcome)
{
    if (!m_run->isActive())
        return;
    try {
        m_run->recordOutcome(static_cast<HistoryEntry::Outcome>(outcome));
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return;
    }
    if (m_run->isActive())
        openCurrentSite();
}

void RunController::markSubmitted()
{
    record(int(HistoryEntry::Outcome::Submitted));
}

void RunController::skip()
{
    record(int(HistoryEntry::Outcome::Skipped));
}

void RunController::markNotApplicable()
{
    record(int(HistoryEntry::Outcome::NotApplicable));
}

void RunController::goBack()
{
    if (m_run->isActive() && m_run->back())
        openCurrentSite();
}

void RunController::showCurrentSite()
{
    const QueueEntry& entry = *m_run->current();
    const SiteCursor& sites = m_dm.sites();
    RunPanel::SiteView view;
    view.position = (m_run->inSkippedPass() ? translateMessage(QStringLiteral("Skipped site %1 of %2"))
                                            : translateMessage(QStringLiteral("Site %1 of %2")))
                        .arg(m_run->position())
                        .arg(m_run->length());
    view.siteName = entry.siteName;
    view.rating = SiteListModel::ratingStars(sites.field(QStringLiteral("Rating")).toInt());
    view.notes = sites.field(QStringLiteral("Notes")).toString();
    view.userName = sites.field(QStringLiteral("Username")).toString();
    view.password = sites.field(QStringLiteral("Password")).toString();
    if (entry.byMail)
        view.formMap = translateMessage(QStringLiteral("Submission by e-mail to %1")).arg(entry.link);
    else if (QFile::exists(FormFileNames::siteMap(m_config.programDirectory(), entry.siteName)))
        view.formMap = translateMessage(QStringLiteral("Form map: the form is filled when the page has loaded."));
    else
        view.formMap = translateMessage(QStringLiteral("No form map yet: fill the form by hand, then Save form"));
    m_panel->showSite(view);
    m_panel->showNote(QString());
}

void RunController::openCurrentSite()
{
    if (!m_run->isActive())
        return;
    m_posted = false;
    showCurrentSite();
    const QueueEntry entry = *m_run->current();
    Q_EMIT siteOpened(entry.siteName);
    if (entry.byMail) {
        m_pageOpened = false;
        mailCurrentSite();
        return;
    }
    m_pageOpened = true;
    if (m_run->record().kind == RunKind::Update)
        m_window.openUpdatePage();
    else
        m_window.openSubmitPage();
}

void RunController::mailCurrentSite()
{
    const EmailSubmission::Page page
        = m_run->record().kind == RunKind::Update ? EmailSubmission::Page::Update : EmailSubmission::Page::Submit;
    EmailSubmission::Result prepared;
    try {
        prepared = EmailSubmission::prepare(
            page, EmailSubmissionCommand::currentSite(m_dm), m_config.programDirectory(), m_rows);
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return;
    }
    if (prepared.outcome != EmailSubmission::Outcome::Compose)
        return;
    bool sent = false;
    bool failed = false;
    {
        MailWindow window(m_config, &m_window);
        window.setObjectName(QStringLiteral("frmMail"));
        window.setDraft(prepared.draft);
        connect(&window.form(), &MailForm::finished, this, [&](bool taken) {
            if (taken)
                sent = true;
            else
                failed = true;
        });
        window.exec();
    }
    // A mail the server took marks the site; a failed one marks nothing.
    if (sent) {
        record(int(HistoryEntry::Outcome::SubmittedByMail));
        return;
    }
    if (failed) {
        try {
            m_run->recordOutcome(HistoryEntry::Outcome::MailFailed);
        } catch (const QuilletError& error) {
            MessageSink::current().showMessage(error.text());
        }
        m_panel->showNote(translateMessage(QStringLiteral("The mail was not sent: the site is not marked.")));
    }
}

void RunController::pageLoaded(bool ok)
{
    if (!m_run->isActive() || !m_pageOpened)
        return;
    const QueueEntry& entry = *m_run->current();
    if (m_posted) {
        // The author decides: a post may have come back with the site's own
        // error page (which the engine may report as a failed load).
        m_panel->showPosted(translateMessage(QStringLiteral("Form posted: mark as submitted? (%1)"))
                                .arg(m_panel->submittedAction()->shortcut().toString(QKeySequence::NativeText)));
        return;
    }
    // With automatic filling off, the run fills the form itself.
    if (ok && !m_config.autoFillFormFields
        && QFile::exists(FormFileNames::siteMap(m_config.programDirectory(), entry.siteName)))
        m_window.autoFillForm();
}

void RunController::runFinished()
{
    m_pageOpened = false;
    m_panel->showSite(RunPanel::SiteView());
    m_panel->showNote(translateMessage(QStringLiteral("The run is finished: every site had its turn.")));
    updateActions();
}

void RunController::showHistory()
{
    auto* window = new HistoryWindow(m_config, m_dm, &m_window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}
