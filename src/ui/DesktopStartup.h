#pragma once

#include "DataSelector.h"
#include "DataSelectorRows.h"
#include "MainWindow.h"
#include "ProgramSession.h"
#include "ReportWindow.h"
#include "SiteSelector.h"

#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class SubmissionDatabase;

// The desktop program's start-up and shutdown: the settings loaded, then the
// main window, the data module, the data selector, the site selector and the
// report window created in this order, the selectors docked into the main
// window's tabs; at the end the main window's geometry and Quick Paste list
// and all settings saved, and everything released. An error while creating
// one of them is shown and start-up goes on with the next.
class DesktopStartup {
public:
    explicit DesktopStartup(const QString& programDirectory);
    ~DesktopStartup();

    DesktopStartup(const DesktopStartup&) = delete;
    DesktopStartup& operator=(const DesktopStartup&) = delete;

    // Called with the name of each step before it runs ("main window", "data
    // module", "data selector", "site selector", "report window", "tabs"); a
    // QuilletError it raises counts as that step's failure.
    void setStepObserver(std::function<void(const QString& step)> observer) { m_observer = std::move(observer); }

    // Loads the settings and creates the windows.
    void start();
    // Shows the main window.
    void show();
    // Saves what the main window keeps and the settings, then releases
    // everything. Safe to call more than once.
    void shutdown();

    // The steps that ran to the end, in order.
    const QStringList& completedSteps() const { return m_completed; }

    ProgramSession& session() { return m_session; }
    MainWindow* mainWindow() const { return m_mainWindow; }
    SubmissionDatabase* dataModule() const { return m_dm.get(); }
    DataSelectorRows* dataRows() const { return m_rows.get(); }
    DataSelector* dataSelector() const { return m_dataSelector; }
    SiteSelector* siteSelector() const { return m_siteSelector; }
    ReportWindow* reportWindow() const { return m_reportWindow; }

private:
    void step(const QString& name, const std::function<void()>& work);

    ProgramSession m_session;
    std::function<void(const QString&)> m_observer;
    QStringList m_completed;
    bool m_running = false;

    std::unique_ptr<SubmissionDatabase> m_dm;
    std::unique_ptr<DataSelectorRows> m_rows;
    QPointer<MainWindow> m_mainWindow;
    QPointer<DataSelector> m_dataSelector;
    QPointer<SiteSelector> m_siteSelector;
    QPointer<ReportWindow> m_reportWindow;
};
