#pragma once

#include "RunQueue.h"

#include <QObject>
#include <QPointer>

class DataSelectorRows;
class MainWindow;
class QAction;
class QLabel;
class RunPanel;
class Settings;
class SubmissionDatabase;
class SubmissionRun;

// Puts the submission run into the main window: the Sites menu's "Start
// submission run...", "Start update run..." and "Resume submission run"
// (with toolbar buttons), the View menu's "Submission history", the run
// panel, and the program's progress in the status bar. It opens each site's
// page through the main window's own page and form commands, offers to mark
// a site after a form was posted, and turns the panel's actions into the
// run's outcomes; it marks nothing by itself.
class RunController : public QObject {
    Q_OBJECT
public:
    RunController(MainWindow& window, Settings& config, SubmissionDatabase& dm, DataSelectorRows& rows);
    ~RunController() override;

    void startRun(RunKind kind);
    void resumeRun();
    void stopRun();
    void markSubmitted();
    void skip();
    void markNotApplicable();
    void goBack();
    void showHistory();

    RunPanel* panel() const { return m_panel; }
    SubmissionRun* run() const { return m_run; }
    bool isRunning() const;
    // The status bar's progress text.
    QString progressText() const;

Q_SIGNALS:
    // A site of the run was opened (its page requested, or its mail shown).
    void siteOpened(const QString& siteName);

private:
    void installActions();
    void record(int outcome);
    // Shows a run that has just been started or resumed at its first site.
    void showBegunRun();
    void openCurrentSite();
    void mailCurrentSite();
    void showCurrentSite();
    void pageLoaded(bool ok);
    void runFinished();
    void updateProgress();
    void updateActions();

    MainWindow& m_window;
    Settings& m_config;
    SubmissionDatabase& m_dm;
    DataSelectorRows& m_rows;
    SubmissionRun* m_run = nullptr;
    RunPanel* m_panel = nullptr;
    QLabel* m_progress = nullptr;
    QAction* m_resume = nullptr;
    bool m_pageOpened = false; // the run's page is loading or loaded
    bool m_posted = false;     // the page posted a form since it opened
};
