#include "BrowserView.h"
#include "CompletingComboBox.h"
#include "DataFixture.h"
#include "DesktopStartup.h"
#include "IniDocument.h"
#include "MainWindow.h"
#include "PowerPasteMenu.h"
#include "QuickPasteMenu.h"
#include "QuilletApplication.h"
#include "QuilletError.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>

namespace {

QString pageUrl(const char* name)
{
    return QUrl::fromLocalFile(testDataPath(QStringLiteral("ui/%1").arg(QLatin1String(name)))).toString();
}

// Runs script in the page and waits for its answer.
QVariant evaluate(QWebEnginePage* page, const QString& script)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 10000)
        QTest::qWait(10);
    return result;
}

bool loadAndWait(MainWindow* window, const QString& url)
{
    QSignalSpy finished(window->browser(), &QWebEngineView::loadFinished);
    window->addressBox()->setEditText(url);
    window->findAddress();
    return finished.wait(120000) && finished.last().first().toBool();
}

QAction* action(QWidget* window, const char* name)
{
    return window->findChild<QAction*>(QString::fromLatin1(name));
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startupCreatesWindowsInOrderAndFirstRunWritesSettings();
    void creationErrorDoesNotStopStartup();
    void menusAndMaintainerMode();
    void languageMenuListsFilesAndSavesEverything();
    void toolbarToggleHidesTheAddressBox();
    void backAndForwardFollowTheHistory();
    void autoFillAfterLoadOnlyWhenSwitchedOn();
    void pasteMenusPasteIntoTheFocusedField();
    void programChoiceLoadsItsValues();
    void rightClickOpensTheChosenMenu();
    void selectorsStayTwoPixelsInsideTheirTabs();
    void uncaughtErrorIsShownAndTheProgramGoesOn();
    void quickPasteChordPastesIntoOtherFieldsToo();
    void shutdownReleasesTheSelectorsBeforeTheMenusTheyUse_data();
    void shutdownReleasesTheSelectorsBeforeTheMenusTheyUse();
};

void TestMainWindow::startupCreatesWindowsInOrderAndFirstRunWritesSettings()
{
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    {
        DesktopStartup startup(dir.path());
        startup.start();
        QCOMPARE(startup.completedSteps(),
            QStringList({"main window", "data module", "data selector", "site selector", "report window", "tabs"}));
        QVERIFY(startup.mainWindow()->tabsReady());
        QCOMPARE(startup.mainWindow()->windowTitle(), QString("Velmora Submit"));
        startup.show();
        QVERIFY(QTest::qWaitForWindowExposed(startup.mainWindow()));
        startup.mainWindow()->close();
        startup.shutdown();
    }
    QVERIFY(sink.messages.isEmpty());
    const IniDocument ini = IniDocument::load(dir.file("quillet.ini"));
    for (const char* section :
        {"General", "EMail", "Config", "LastProgram", "Options", "PowerPaste", "Geometry", "PopUpList"})
        QVERIFY2(ini.hasSection(section), section);
    QCOMPARE(ini.readString("PopUpList", "1", ""), QString("-1"));
    QCOMPARE(ini.readInteger("Geometry", "BrowserW", 0), 760);
    QVERIFY(ini.readInteger("Geometry", "Splitter Location", 0) >= 50);
    for (const char* table : {"Programs.DAT", "Sites.DAT", "ProgSite.DAT"})
        QVERIFY(QFile::exists(dir.file(table)));
}

void TestMainWindow::shutdownReleasesTheSelectorsBeforeTheMenusTheyUse_data()
{
    QTest::addColumn<bool>("docked");
    QTest::newRow("docked in the tabs") << true;
    QTest::newRow("tabs failed") << false;
}

void TestMainWindow::shutdownReleasesTheSelectorsBeforeTheMenusTheyUse()
{
    QFETCH(bool, docked);
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    DesktopStartup startup(dir.path());
    if (!docked) {
        startup.setStepObserver([](const QString& step) {
            if (step == QLatin1String("tabs"))
                throw QuilletError("no tabs");
        });
    }
    startup.start();
    QCOMPARE(startup.mainWindow()->tabsReady(), docked);
    QStringList order;
    const auto watch = [&order](QObject* object, const QString& name) {
        QVERIFY(object);
        QObject::connect(object, &QObject::destroyed, [&order, name] { order.append(name); });
    };
    watch(startup.dataSelector(), "data selector");
    watch(startup.siteSelector(), "site selector");
    watch(&startup.mainWindow()->quickPasteMenu(), "quick paste");
    watch(&startup.mainWindow()->powerPasteMenu(), "power paste");
    watch(startup.mainWindow(), "main window");
    startup.shutdown();
    QCOMPARE(order.size(), 5);
    QVERIFY2(order.indexOf("data selector") < order.indexOf("quick paste"), qPrintable(order.join(", ")));
    QVERIFY2(order.indexOf("data selector") < order.indexOf("power paste"), qPrintable(order.join(", ")));
    QVERIFY2(order.indexOf("site selector") < order.indexOf("main window"), qPrintable(order.join(", ")));
    QVERIFY(!startup.dataSelector());
    QVERIFY(!startup.mainWindow());
}

void TestMainWindow::creationErrorDoesNotStopStartup()
{
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    DesktopStartup startup(dir.path());
    startup.setStepObserver([](const QString& step) {
        if (step == QLatin1String("data selector"))
            throw QuilletError("The data selector could not be created");
    });
    startup.start();
    QCOMPARE(sink.texts(), QStringList({"The data selector could not be created"}));
    QCOMPARE(startup.completedSteps(),
        QStringList({"main window", "data module", "site selector", "report window", "tabs"}));
    QVERIFY(startup.mainWindow());
    QVERIFY(startup.siteSelector());
    QVERIFY(!startup.dataSelector());
    startup.shutdown();
    // The settings were saved all the same.
    QVERIFY(IniDocument::load(dir.file("quillet.ini")).hasSection("Config"));
}

void TestMainWindow::menusAndMaintainerMode()
{
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    {
        DesktopStartup startup(dir.path());
        startup.start();
        MainWindow* window = startup.mainWindow();
        QStringList titles;
        for (QAction* menu : window->menuBar()->actions())
            titles.append(menu->text());
        QCOMPARE(titles, QStringList({"&File", "&View", "&Go", "S&ites", "Reports", "&Help"}));
        QCOMPARE(action(window, "Saveform1")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_S));
        QCOMPARE(action(window, "autofill1")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_A));
        QCOMPARE(action(window, "SubmitPage")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_B));
        QCOMPARE(action(window, "Googlesearch1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
        QCOMPARE(action(window, "Index1")->shortcut(), QKeySequence(Qt::Key_F1));
        QVERIFY(!action(window, "EditSite1")->isVisible());
        // Without admin.key Alt+E reaches no editor.
        QVERIFY(!action(window, "EditSite1")->isEnabled());
        QVERIFY(action(window, "Options")->isEnabled());
        QVERIFY(action(window, "Checkforupdates1")->isEnabled());
        startup.shutdown();
    }
    dir.writeFile("admin.key", "");
    DesktopStartup maintainer(dir.path());
    maintainer.start();
    QVERIFY(action(maintainer.mainWindow(), "EditSite1")->isVisible());
    QVERIFY(action(maintainer.mainWindow(), "EditSite1")->isEnabled());
    maintainer.shutdown();
}

void TestMainWindow::languageMenuListsFilesAndSavesEverything()
{
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    {
        DesktopStartup startup(dir.path());
        startup.start();
        QVERIFY(startup.mainWindow()->languageMenu()->actions().isEmpty());
        startup.shutdown();
    }
    dir.writeFile("Deutsch.lng", "[Translations]\nForm1.File1.Caption=&Datei\n");
    dir.writeFile("English.lng", "[Messages]\n");
    DesktopStartup startup(dir.path());
    startup.start();
    MainWindow* window = startup.mainWindow();
    QStringList names;
    for (QAction* item : window->languageMenu()->actions())
        names.append(item->text());
    QCOMPARE(names, QStringList({"Deutsch", "English"}));
    startup.session().config().hostAddress = "smtp.example.test";
    window->languageMenu()->actions().first()->trigger();
    QCOMPARE(window->findChild<QMenu*>("File1")->title(), QString("&Datei"));
    const IniDocument ini = IniDocument::load(dir.file("quillet.ini"));
    QCOMPARE(ini.readString("Config", "Language", ""), QString("Deutsch"));
    QCOMPARE(ini.readString("EMail", "HostAddress", ""), QString("smtp.example.test"));
    startup.shutdown();
}

void TestMainWindow::toolbarToggleHidesTheAddressBox()
{
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    DesktopStartup startup(dir.path());
    startup.start();
    startup.show();
    MainWindow* window = startup.mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QAction* toolbar = action(window, "Toolbar3");
    QVERIFY(toolbar->isChecked());
    QVERIFY(window->addressBox()->isVisible());
    toolbar->trigger();
    QVERIFY(!window->addressBox()->isVisible());
    QVERIFY(!window->findChild<QWidget*>("Animate1")->isVisible());
    QAction* statusbar = action(window, "Statusbar2");
    statusbar->trigger();
    QVERIFY(!window->statusBar()->isVisible());
    startup.shutdown();
}

void TestMainWindow::backAndForwardFollowTheHistory()
{
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    DesktopStartup startup(dir.path());
    startup.start();
    startup.show();
    MainWindow* window = startup.mainWindow();
    QAction* back = action(window, "BackAction");
    QAction* forward = action(window, "ForwardAction");
    QVERIFY(!back->isEnabled());
    QVERIFY(!forward->isEnabled());
    QVERIFY(loadAndWait(window, pageUrl("page-a.html")));
    QVERIFY(!back->isEnabled());
    QVERIFY(loadAndWait(window, pageUrl("page-b.html")));
    QVERIFY(loadAndWait(window, pageUrl("page-c.html")));
    QVERIFY(back->isEnabled());
    QVERIFY(!forward->isEnabled());
    QCOMPARE(window->history().history().size(), 3);
    // Typed addresses go to the top of the address box's list.
    QCOMPARE(window->addressBox()->itemText(0), pageUrl("page-c.html"));

    QSignalSpy finished(window->browser(), &QWebEngineView::loadFinished);
    back->trigger();
    QVERIFY(finished.wait(120000));
    QCOMPARE(window->history().historyIndex(), 1);
    QVERIFY(forward->isEnabled());
    QCOMPARE(window->addressBox()->currentText(), pageUrl("page-b.html"));
    // A new page after Back drops the pages ahead.
    window->history();
    QVERIFY(loadAndWait(window, pageUrl("page-a.html") + "?again"));
    QCOMPARE(window->history().history(),
        QStringList({pageUrl("page-a.html"), pageUrl("page-b.html"), pageUrl("page-a.html") + "?again"}));
    QVERIFY(!forward->isEnabled());
    startup.shutdown();
}

void TestMainWindow::autoFillAfterLoadOnlyWhenSwitchedOn()
{
    DataFixture f;
    f.open();
    f.addSite("Page Site");
    f.properties()[14].setValue("Tool");
    f.dm().saveProgram("Tool");
    f.close();
    f.dir.writeFile("SiteData/Page Site.xml",
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"title\" Type=\"text\" "
        "DataField=\"Program\"/></XML_SITE_SUBMIT_INFO>\r\n");
    f.dir.writeFile("quillet.ini", "[LastProgram]\nProgramName=Tool\n[General]\nAutomatically Fill Form Fields=1\n");
    RecordingMessageSink sink;
    {
        DesktopStartup startup(f.dir.path());
        startup.start();
        startup.show();
        MainWindow* window = startup.mainWindow();
        QSignalSpy filled(window, &MainWindow::formCommandFinished);
        QVERIFY(loadAndWait(window, pageUrl("page-a.html")));
        QVERIFY(filled.wait(120000));
        QCOMPARE(filled.first().first().toString(), QString("Form loaded"));
        QCOMPARE(
            evaluate(window->browser()->page(), "document.getElementById('title').value").toString(), QString("Tool"));
        QCOMPARE(window->statusBar()->findChild<QLabel*>("StatusPanel0")->text(), QString("Form loaded"));
        startup.shutdown();
    }
    f.dir.writeFile("quillet.ini", "[LastProgram]\nProgramName=Tool\n[General]\nAutomatically Fill Form Fields=0\n");
    DesktopStartup startup(f.dir.path());
    startup.start();
    startup.show();
    MainWindow* window = startup.mainWindow();
    QSignalSpy filled(window, &MainWindow::formCommandFinished);
    QVERIFY(loadAndWait(window, pageUrl("page-a.html")));
    QVERIFY(!filled.wait(1500));
    QCOMPARE(evaluate(window->browser()->page(), "document.getElementById('title').value").toString(), QString());
    // The command itself still fills.
    action(window, "autofill1")->trigger();
    QVERIFY(filled.wait(120000));
    QCOMPARE(evaluate(window->browser()->page(), "document.getElementById('title').value").toString(), QString("Tool"));
    QVERIFY(sink.messages.isEmpty());
    startup.shutdown();
}

void TestMainWindow::pasteMenusPasteIntoTheFocusedField()
{
    DataFixture f;
    f.open();
    f.properties()[14].setValue("Paste Tool");
    f.properties()[15].setValue("9.9");
    f.dm().saveProgram("Paste Tool");
    f.close();
    f.dir.writeFile("quillet.ini",
        "[LastProgram]\nProgramName=Paste Tool\n[General]\nAutomatically Fill Form Fields=0\n"
        "[PopUpList]\n1=14\n2=15\n3=0\n4=-1\n");
    RecordingMessageSink sink;
    DesktopStartup startup(f.dir.path());
    startup.start();
    startup.show();
    MainWindow* window = startup.mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    QVERIFY(loadAndWait(window, pageUrl("page-b.html")));
    window->browser()->setFocus();
    evaluate(window->browser()->page(), "document.getElementById('title').focus(); true");
    QCOMPARE(window->quickPasteMenu().itemCount(), 3);

    // A Power Paste property item: the value lands in the field and stays on the clipboard.
    Q_EMIT window->powerPasteMenu().propertyChosen(15);
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(window->browser()->page(), "document.getElementById('title').value").toString(),
        QString("9.9"), 10000);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("9.9"));

    // Ctrl+5 with three Quick Paste items pastes nothing and types nothing.
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keyClick(focus, Qt::Key_5, Qt::ControlModifier);
    QTest::qWait(300);
    QCOMPARE(evaluate(window->browser()->page(), "document.getElementById('title').value").toString(), QString("9.9"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("9.9"));
    // Ctrl+1 pastes the first item, the program's name, from the keypad too.
    QTest::keyClick(focus, Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier);
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(window->browser()->page(), "document.getElementById('title').value").toString(),
        QString("9.9Paste Tool"), 10000);
    startup.shutdown();
}

void TestMainWindow::programChoiceLoadsItsValues()
{
    DataFixture f;
    f.open();
    f.addSite("Flagged");
    for (const char* name : {"Alpha", "Beta"}) {
        f.properties()[14].setValue(name);
        f.properties()[15].setValue(QString(name) + " version");
        f.dm().saveProgram(name);
    }
    f.addFlags("Beta", "Flagged", {{"Published", 1}});
    f.close();
    RecordingMessageSink sink;
    DesktopStartup startup(f.dir.path());
    startup.start();
    MainWindow* window = startup.mainWindow();
    QComboBox* programs = window->programsComboBox();
    QCOMPARE(programs->count(), 2);
    QCOMPARE(programs->currentIndex(), -1);
    window->selectProgram(1);
    QCOMPARE(startup.dataRows()->value(15), QString("Beta version"));
    QVERIFY(startup.dataModule()->programFlags().isSet("Flagged", "Published"));
    window->selectProgram(0);
    QCOMPARE(startup.dataRows()->value(15), QString("Alpha version"));
    QVERIFY(!startup.dataModule()->programFlags().isSet("Flagged", "Published"));
    startup.shutdown();
    QCOMPARE(
        IniDocument::load(f.dir.file("quillet.ini")).readString("LastProgram", "ProgramName", ""), QString("Alpha"));
}

void TestMainWindow::rightClickOpensTheChosenMenu()
{
    BrowserView view;
    view.resize(400, 300);
    int choice = 1;
    view.setContextMenuChoice([&] { return choice; });
    QSignalSpy power(&view, &BrowserView::powerPasteRequested);
    QSignalSpy quick(&view, &BrowserView::quickPasteRequested);
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    view.load(QUrl(pageUrl("page-a.html")));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(loaded.wait(120000));
    // A real right-click on the page, as the page's own widget receives it.
    const auto rightClick = [&] {
        QWidget* target = view.focusProxy() ? view.focusProxy() : &view;
        QTest::mousePress(target, Qt::RightButton, {}, QPoint(200, 150));
        QTest::mouseRelease(target, Qt::RightButton, {}, QPoint(200, 150));
    };
    rightClick();
    QTRY_COMPARE_WITH_TIMEOUT(power.count(), 1, 10000);
    QCOMPARE(power.first().first().toPoint(), view.mapToGlobal(QPoint(200, 150)));
    choice = 2;
    rightClick();
    QTRY_COMPARE_WITH_TIMEOUT(quick.count(), 1, 10000);
    // Any other value swallows the click and opens nothing.
    choice = 7;
    rightClick();
    QTest::qWait(500);
    QCOMPARE(power.count(), 1);
    QCOMPARE(quick.count(), 1);
}

void TestMainWindow::selectorsStayTwoPixelsInsideTheirTabs()
{
    TestProgramDirectory dir;
    RecordingMessageSink sink;
    DesktopStartup startup(dir.path());
    startup.start();
    startup.show();
    MainWindow* window = startup.mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const auto checkInside = [](QWidget* selector) {
        QWidget* tab = selector->parentWidget();
        QTRY_COMPARE(selector->geometry(), tab->rect().adjusted(2, 2, -2, -2));
    };
    checkInside(startup.siteSelector());
    window->resize(1000, 700);
    checkInside(startup.siteSelector());
    auto* splitter = window->findChild<QSplitter*>("Splitter");
    splitter->setSizes({500, 400});
    checkInside(startup.siteSelector());
    window->findChild<QTabWidget*>("PageControl")->setCurrentIndex(1);
    checkInside(startup.dataSelector());
    startup.shutdown();
}

void TestMainWindow::uncaughtErrorIsShownAndTheProgramGoesOn()
{
    TestProgramDirectory dir;
    QByteArray junk(8192, 'x');
    dir.writeFile("Sites.DAT", junk);
    RecordingMessageSink sink;
    DesktopStartup startup(dir.path());
    startup.start();
    startup.show();
    MainWindow* window = startup.mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(sink.messages.size(), 1); // the table that is no database
    sink.messages.clear();
    // A command on the closed table fails with its error, shown; nothing else happens.
    QMenu* sites = window->findChild<QMenu*>("Sites1");
    QAction* hide = action(window, "HideCurrentSite");
    QVERIFY(sites && hide);
    // Delivered as an event, as a menu click is.
    QMetaObject::invokeMethod(hide, &QAction::trigger, Qt::QueuedConnection);
    QTRY_COMPARE(sink.texts(), QStringList({"The table Sites.DAT is not open"}));
    QVERIFY(window->isVisible());
    startup.shutdown();
    QCOMPARE(dir.readFile("Sites.DAT"), junk);
}

void TestMainWindow::quickPasteChordPastesIntoOtherFieldsToo()
{
    DataFixture f;
    f.open();
    f.properties()[14].setValue("Chord Tool");
    f.dm().saveProgram("Chord Tool");
    f.close();
    f.dir.writeFile("quillet.ini", "[LastProgram]\nProgramName=Chord Tool\n[PopUpList]\n1=14\n2=-1\n");
    RecordingMessageSink sink;
    DesktopStartup startup(f.dir.path());
    startup.start();
    startup.show();
    MainWindow* window = startup.mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    CompletingComboBox* address = window->addressBox();
    address->setFocus();
    address->setEditText(QString());
    QTRY_VERIFY(address->lineEdit()->hasFocus());
    QTest::keyClick(address->lineEdit(), Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(address->currentText(), QString("Chord Tool"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("Chord Tool"));
    // A chord for a missing item does nothing, and no "2" is typed.
    QTest::keyClick(address->lineEdit(), Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(address->currentText(), QString("Chord Tool"));
    startup.shutdown();
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QuilletApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestMainWindow.moc"
