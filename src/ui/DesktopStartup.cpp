#include "DesktopStartup.h"

#include "DataSelector.h"
#include "LanguageSwitch.h"
#include "MainWindow.h"
#include "MessageSink.h"
#include "MessageTranslator.h"
#include "QuilletError.h"
#include "ReportWindow.h"
#include "SiteSelector.h"
#include "SubmissionDatabase.h"

#include <QApplication>

DesktopStartup::DesktopStartup(const QString& programDirectory)
    : m_session(programDirectory)
{ }

DesktopStartup::~DesktopStartup()
{
    shutdown();
}

void DesktopStartup::step(const QString& name, const std::function<void()>& work)
{
    try {
        if (m_observer)
            m_observer(name);
        work();
        m_completed.append(name);
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
    }
}

void DesktopStartup::start()
{
    m_session.start();
    m_running = true;
    useLanguageOf(&m_session.config());
    // Qt's own texts (standard buttons, file dialogs) in the same language.
    LanguageSwitch::instance().loadQtTranslations(m_session.config().language);
    QApplication::setApplicationDisplayName(QStringLiteral("Velmora Submit"));
    Settings& config = m_session.config();
    PropertyCatalogue& properties = m_session.properties();

    step(QStringLiteral("main window"), [&] { m_mainWindow = new MainWindow(config, properties); });
    step(QStringLiteral("data module"), [&] {
        m_dm = std::make_unique<SubmissionDatabase>(config, properties);
        m_dm->open();
    });
    if (m_mainWindow && m_dm)
        m_mainWindow->setDataModule(m_dm.get());
    // The data selector's rows exist whatever happens to its window: the
    // paste menus and form commands read them.
    m_rows = std::make_unique<DataSelectorRows>(properties);
    if (m_mainWindow) {
        MainWindow* window = m_mainWindow;
        step(QStringLiteral("data selector"), [&] {
            m_dataSelector = new DataSelector(*m_rows, config, window->powerPasteMenu(), window->quickPasteMenu());
        });
    }
    if (m_dm) {
        step(QStringLiteral("site selector"), [&] {
            m_siteSelector = new SiteSelector(*m_dm, config);
            if (m_mainWindow)
                m_mainWindow->loadProgramsList();
        });
        step(QStringLiteral("report window"), [&] { m_reportWindow = new ReportWindow(*m_dm); });
    }
    if (m_mainWindow) {
        step(QStringLiteral("tabs"), [&] {
            m_mainWindow->setSelectors(m_rows.get(), m_dataSelector, m_siteSelector);
            m_mainWindow->setReportWindow(m_reportWindow);
            m_mainWindow->setUpTabs();
        });
    }
}

void DesktopStartup::show()
{
    if (m_mainWindow)
        m_mainWindow->show();
}

void DesktopStartup::shutdown()
{
    if (!m_running)
        return;
    m_running = false;
    // The main window's share first, while the settings store is alive.
    if (m_mainWindow)
        m_mainWindow->saveWindowState();
    m_session.shutdown();
    useLanguageOf(nullptr);
    LanguageSwitch::instance().loadQtTranslations(QStringLiteral("English"));
    // The windows that use the main window's menus and signals go first, docked
    // in its tabs or not; the main window, which owns the paste menus, last.
    delete m_reportWindow;
    delete m_siteSelector;
    delete m_dataSelector;
    delete m_mainWindow;
    m_rows.reset();
    m_dm.reset();
}
