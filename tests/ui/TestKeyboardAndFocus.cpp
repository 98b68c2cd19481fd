#include "BrowserView.h"
#include "CompletingComboBox.h"
#include "DataFixture.h"
#include "DesktopStartup.h"
#include "EditorWindow.h"
#include "FocusedDesktop.h"
#include "MainWindow.h"
#include "PageTestKit.h"
#include "QuilletApplication.h"
#include "RealKeyboard.h"

#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>

namespace {

// The program folder of the test under way, which holds the pages.
QString g_pageFolder;

QString pageUrl(const char* name)
{
    return testPageUrlIn(str("ui/%1").arg(QLatin1String(name)), g_pageFolder);
}

const char* const kAddress = "http://example.test/alpha/page.html";

} // namespace

// The main window driven from the keyboard, key press by key press as a
// keyboard sends them, on real windows.
class TestKeyboardAndFocus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void altShortcutsWinOverMenuMnemonicsWhereverTheFocusIs();
    void hiddenAndMnemonicKeysKeepTheirOwnMeaning();
    void selectionInTheAddressBoxSurvivesKeysThatTypeNothing();
    void typingInTheAddressBoxStillCompletes();
    void quickPasteTakesTheDigitPress();
    void quickPasteIntoThePageField();
    void focusComesBackAfterTheEditorAndOtherDialogs();
    void siteAddressesThatAreNoWebPagesAreNotOpened();

private:
    bool start() { return FocusedDesktop::start(m_startup, m_data->dir.path()); }
    void focusOn(QWidget* widget);
    bool loadPage(const char* name);
    MainWindow* window() const { return m_startup->mainWindow(); }
    QAction* action(const char* name) const { return window()->findChild<QAction*>(str(name)); }

    std::unique_ptr<DataFixture> m_data;
    std::unique_ptr<RecordingMessageSink> m_sink;
    std::unique_ptr<DesktopStartup> m_startup;
};

void TestKeyboardAndFocus::init()
{
    m_data = std::make_unique<DataFixture>();
    m_data->open();
    g_pageFolder = m_data->dir.path();
    m_data->addSite(str("Home Site"),
        {{"HomeUrl", pageUrl("page-a.html")}, {"SearchUrl", pageUrl("page-b.html")},
            {"SubmitUrl", pageUrl("page-c.html")}, {"UpdateUrl", pageUrl("page-b.html")}});
    m_data->properties()[14].setValue(str("Chord Tool"));
    m_data->dm().saveProgram(str("Chord Tool"));
    m_data->close();
    m_data->dir.writeFile(str("quillet.ini"),
        "[LastProgram]\nProgramName=Chord Tool\n[General]\nAutomatically Fill Form "
        "Fields=0\n[PopUpList]\n1=14\n2=-1\n");
    m_sink = std::make_unique<RecordingMessageSink>();
}

void TestKeyboardAndFocus::cleanup()
{
    FocusedDesktop::stop(m_startup);
    m_sink.reset();
    m_data.reset();
}

void TestKeyboardAndFocus::focusOn(QWidget* widget)
{
    widget->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(widget->hasFocus() || (widget->focusProxy() && widget->focusProxy()->hasFocus()));
}

bool TestKeyboardAndFocus::loadPage(const char* name)
{
    QSignalSpy finished(window()->browser(), &QWebEngineView::loadFinished);
    window()->addressBox()->setEditText(pageUrl(name));
    window()->findAddress();
    return finished.wait(120000) && finished.last().first().toBool();
}

void TestKeyboardAndFocus::altShortcutsWinOverMenuMnemonicsWhereverTheFocusIs()
{
    QVERIFY(start());
    QVERIFY(loadPage("page-b.html"));
    // Qt reports a key it finds twice (shortcut and mnemonic) as ambiguous.
    QTest::failOnWarning(QRegularExpression(str("[Aa]mbiguous")));

    QList<QAction*> altActions;
    for (QAction* candidate : window()->findChildren<QAction*>()) {
        const QKeySequence shortcut = candidate->shortcut();
        if (shortcut.count() == 1 && shortcut[0].keyboardModifiers() == Qt::AltModifier
            && shortcut[0].key() >= Qt::Key_A && shortcut[0].key() <= Qt::Key_Z && candidate->isEnabled()
            && candidate->isVisible())
            altActions.append(candidate);
    }
    QStringList names;
    for (QAction* candidate : altActions)
        names.append(candidate->objectName());
    // Home Page's Alt+H is the "&Help" menu's mnemonic as well.
    QVERIFY2(names.contains(str("HomePage")), qPrintable(names.join(' ')));
    QVERIFY(names.contains(str("Saveform1")) && names.contains(str("autofill1")) && names.contains(str("SubmitPage")));
    QVERIFY(names.contains(str("Configuration1")));

    auto* grid = m_startup->siteSelector()->findChild<QTableView*>(str("sitesDBGrid"));
    QWidget* page = window()->browser()->focusProxy();
    QVERIFY(grid && page);
    const QList<QPair<const char*, QWidget*>> places
        = {{"address box", window()->addressBox()}, {"site list", grid}, {"page", page}};
    for (const auto& [placeName, place] : places) {
        for (QAction* candidate : altActions) {
            focusOn(place);
            QSignalSpy triggered(candidate, &QAction::triggered);
            const Qt::Key key = candidate->shortcut()[0].key();
            const QString text = QString(QChar(char16_t('a' + (key - Qt::Key_A))));
            // A command that opens a dialog (the editor, a mail): Escape closes it.
            bool dialogClosed = false;
            const QPointer<QTimer> closer = RealKeyboard::whenModalAppears([&dialogClosed](QWidget*) {
                dialogClosed = true;
                RealKeyboard::tap(Qt::Key_Escape);
            });
            QVERIFY(RealKeyboard::chord(key, Qt::AltModifier, text));
            const QString what = candidate->objectName() + str(" from the ") + str(placeName);
            QVERIFY2(triggered.count() == 1, qPrintable(what));
            QVERIFY2(!QApplication::activePopupWidget(), qPrintable(what + str(": a menu opened")));
            QTRY_VERIFY2(!QApplication::activeModalWidget(), qPrintable(what));
            QTRY_COMPARE(QGuiApplication::focusWindow(), window()->windowHandle());
            if (candidate->objectName() == QLatin1String("Configuration1"))
                QVERIFY(dialogClosed);
            delete closer.data();
        }
    }
}

void TestKeyboardAndFocus::hiddenAndMnemonicKeysKeepTheirOwnMeaning()
{
    QVERIFY(start());
    focusOn(window()->addressBox());
    // Without admin.key "&Edit Site" is hidden: Alt+E does nothing at all.
    QSignalSpy editSite(action("EditSite1"), &QAction::triggered);
    QVERIFY(RealKeyboard::chord(Qt::Key_E, Qt::AltModifier, str("e")));
    QCOMPARE(editSite.count(), 0);
    QVERIFY(!QApplication::activePopupWidget());
    QCOMPARE(window()->addressBox()->currentText(), QString());

    // An Alt shortcut of another window of the program (here a tool window
    // the main window owns) is that window's, not the main window's.
    QWidget tool(window(), Qt::Tool);
    auto* toolAction = new QAction(str("Tool command"), &tool);
    toolAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_K));
    tool.addAction(toolAction);
    QSignalSpy toolTriggered(toolAction, &QAction::triggered);
    tool.show();
    window()->activateWindow();
    QTRY_COMPARE(QGuiApplication::focusWindow(), window()->windowHandle());
    focusOn(window()->addressBox());
    QVERIFY(RealKeyboard::chord(Qt::Key_K, Qt::AltModifier, str("k")));
    QCOMPARE(toolTriggered.count(), 0);
    tool.hide();
    QTRY_COMPARE(QGuiApplication::focusWindow(), window()->windowHandle());

    // A mnemonic no command takes still opens its menu.
    QVERIFY(RealKeyboard::chord(Qt::Key_F, Qt::AltModifier, str("f")));
    QTRY_VERIFY(QApplication::activePopupWidget());
    QCOMPARE(QApplication::activePopupWidget()->objectName(), str("File1"));
    // An open menu holds the keyboard.
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

void TestKeyboardAndFocus::selectionInTheAddressBoxSurvivesKeysThatTypeNothing()
{
    QVERIFY(start());
    CompletingComboBox* address = window()->addressBox();
    address->addItem(str(kAddress));
    address->addItem(str("http://example.test/beta/"));
    focusOn(address);
    QLineEdit* edit = address->lineEdit();

    // An address from the list, Ctrl+A with Ctrl let go first, then Backspace.
    address->setEditText(str(kAddress));
    QVERIFY(RealKeyboard::press(Qt::Key_Control));
    QVERIFY(RealKeyboard::press(Qt::Key_A, Qt::ControlModifier, str("\x01")));
    QCOMPARE(edit->selectedText(), str(kAddress));
    QVERIFY(RealKeyboard::release(Qt::Key_Control, Qt::ControlModifier));
    QVERIFY(RealKeyboard::release(Qt::Key_A, {}, str("a")));
    QCOMPARE(edit->selectedText(), str(kAddress));
    QVERIFY(RealKeyboard::tap(Qt::Key_Backspace, str("\b")));
    QCOMPARE(address->currentText(), QString());

    // The same with the keys let go in the usual order.
    address->setEditText(str(kAddress));
    QVERIFY(RealKeyboard::chord(Qt::Key_A, Qt::ControlModifier, str("\x01")));
    QVERIFY(RealKeyboard::tap(Qt::Key_Delete, str("\x7f")));
    QCOMPARE(address->currentText(), QString());

    // A selection made with Shift and the arrows is replaced by what is typed.
    address->setEditText(str(kAddress));
    QVERIFY(RealKeyboard::tap(Qt::Key_End));
    for (int i = 0; i < 4; ++i)
        QVERIFY(RealKeyboard::chord(Qt::Key_Left, Qt::ShiftModifier));
    QCOMPARE(edit->selectedText(), str("html"));
    QVERIFY(RealKeyboard::type(str("x")));
    QCOMPARE(address->currentText(), str("http://example.test/alpha/page.x"));

    // Home and End move the cursor and complete nothing.
    QVERIFY(RealKeyboard::tap(Qt::Key_Home));
    QCOMPARE(edit->cursorPosition(), 0);
    QCOMPARE(edit->selectedText(), QString());
    QCOMPARE(address->currentText(), str("http://example.test/alpha/page.x"));
}

void TestKeyboardAndFocus::typingInTheAddressBoxStillCompletes()
{
    QVERIFY(start());
    CompletingComboBox* address = window()->addressBox();
    address->addItem(str(kAddress));
    address->setEditText(QString());
    focusOn(address);
    QVERIFY(RealKeyboard::type(str("http://exa")));
    QCOMPARE(address->currentText(), str(kAddress));
    QCOMPARE(address->lineEdit()->selectedText(), str("mple.test/alpha/page.html"));
    // The next character replaces the completed tail and completes again.
    QVERIFY(RealKeyboard::type(str("m")));
    QCOMPARE(address->currentText(), str(kAddress));
    QCOMPARE(address->lineEdit()->selectedText(), str("ple.test/alpha/page.html"));
    // Backspace takes the completed tail away and completes nothing.
    QVERIFY(RealKeyboard::tap(Qt::Key_Backspace, str("\b")));
    QCOMPARE(address->currentText(), str("http://exam"));
}

void TestKeyboardAndFocus::quickPasteTakesTheDigitPress()
{
    QVERIFY(start());
    CompletingComboBox* address = window()->addressBox();
    focusOn(address);

    // Ctrl comes up before the digit: the paste has happened on the press.
    QVERIFY(RealKeyboard::press(Qt::Key_Control));
    QVERIFY(RealKeyboard::press(Qt::Key_1, Qt::ControlModifier, str("1")));
    QCOMPARE(address->currentText(), str("Chord Tool"));
    QVERIFY(RealKeyboard::release(Qt::Key_Control, Qt::ControlModifier));
    QVERIFY(RealKeyboard::release(Qt::Key_1, {}, str("1")));
    QCOMPARE(address->currentText(), str("Chord Tool"));
    QCOMPARE(QGuiApplication::clipboard()->text(), str("Chord Tool"));

    // Held down, the digit repeats: one paste all the same.
    address->setEditText(QString());
    QVERIFY(RealKeyboard::press(Qt::Key_Control));
    QVERIFY(RealKeyboard::press(Qt::Key_1, Qt::ControlModifier, str("1")));
    QVERIFY(RealKeyboard::press(Qt::Key_1, Qt::ControlModifier, str("1"), true));
    QVERIFY(RealKeyboard::press(Qt::Key_1, Qt::ControlModifier, str("1"), true));
    QVERIFY(RealKeyboard::release(Qt::Key_1, Qt::ControlModifier, str("1")));
    QVERIFY(RealKeyboard::release(Qt::Key_Control, Qt::ControlModifier));
    QCOMPARE(address->currentText(), str("Chord Tool"));

    // A plain digit afterwards is typed as usual.
    QVERIFY(RealKeyboard::type(str("1")));
    QCOMPARE(address->currentText(), str("Chord Tool1"));
}

void TestKeyboardAndFocus::quickPasteIntoThePageField()
{
    QVERIFY(start());
    // In the page's field, Ctrl let go first as well.
    QVERIFY(loadPage("page-b.html"));
    focusOn(window()->browser()->focusProxy());
    PageTestKit::js(window()->browser()->page(), str("document.getElementById('title').focus(); true"));
    QVERIFY(RealKeyboard::press(Qt::Key_Control));
    QVERIFY(RealKeyboard::press(Qt::Key_1, Qt::ControlModifier, str("1")));
    QVERIFY(RealKeyboard::release(Qt::Key_Control, Qt::ControlModifier));
    QVERIFY(RealKeyboard::release(Qt::Key_1, {}, str("1")));
    QTRY_COMPARE_WITH_TIMEOUT(
        PageTestKit::js(window()->browser()->page(), str("document.getElementById('title').value")).toString(),
        str("Chord Tool"), 10000);
    // No "1" reaches the field afterwards; the same chord pastes again elsewhere.
    QTest::qWait(200);
    QCOMPARE(PageTestKit::js(window()->browser()->page(), str("document.getElementById('title').value")).toString(),
        str("Chord Tool"));
    PageTestKit::js(window()->browser()->page(), str("document.getElementById('other').focus(); true"));
    QVERIFY(RealKeyboard::chord(Qt::Key_1, Qt::ControlModifier, str("1")));
    QTRY_COMPARE_WITH_TIMEOUT(
        PageTestKit::js(window()->browser()->page(), str("document.getElementById('other').value")).toString(),
        str("Chord Tool"), 10000);
}

void TestKeyboardAndFocus::focusComesBackAfterTheEditorAndOtherDialogs()
{
    QVERIFY(start());
    CompletingComboBox* address = window()->addressBox();
    focusOn(address);
    QWidget* hadFocus = QApplication::focusWidget();
    QVERIFY(hadFocus);
    QSignalSpy configuration(action("Configuration1"), &QAction::triggered);

    for (int round = 1; round <= 3; ++round) {
        bool editorSeen = false;
        RealKeyboard::whenModalAppears([&editorSeen](QWidget* dialog) {
            editorSeen = qobject_cast<EditorWindow*>(dialog) != nullptr;
            RealKeyboard::tap(Qt::Key_Escape);
        });
        QVERIFY(RealKeyboard::chord(Qt::Key_C, Qt::AltModifier, str("c")));
        QCOMPARE(configuration.count(), round);
        QVERIFY(editorSeen);
        QTRY_COMPARE(QGuiApplication::focusWindow(), window()->windowHandle());
        QTRY_COMPARE(QApplication::focusWidget(), hadFocus);
    }

    // The About box, opened from its menu item, and a message box.
    QWidget* grid = m_startup->siteSelector()->findChild<QTableView*>(str("sitesDBGrid"));
    focusOn(grid);
    hadFocus = QApplication::focusWidget();
    bool aboutSeen = false;
    RealKeyboard::whenModalAppears([&aboutSeen](QWidget* dialog) {
        aboutSeen = dialog->objectName() == QLatin1String("AboutBox");
        RealKeyboard::tap(Qt::Key_Escape);
    });
    QMetaObject::invokeMethod(action("About1"), &QAction::trigger, Qt::QueuedConnection);
    QTRY_VERIFY(aboutSeen);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QTRY_COMPARE(QGuiApplication::focusWindow(), window()->windowHandle());
    QTRY_COMPARE(QApplication::focusWidget(), hadFocus);

    RealKeyboard::whenModalAppears([](QWidget*) { RealKeyboard::tap(Qt::Key_Escape); });
    QMessageBox::information(window(), str("Note"), str("A message"));
    QTRY_COMPARE(QGuiApplication::focusWindow(), window()->windowHandle());
    QTRY_COMPARE(QApplication::focusWidget(), hadFocus);
    // And the window's keys work at once.
    RealKeyboard::whenModalAppears([](QWidget*) { RealKeyboard::tap(Qt::Key_Escape); });
    QVERIFY(RealKeyboard::chord(Qt::Key_C, Qt::AltModifier, str("c")));
    QCOMPARE(configuration.count(), 4);
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QuilletApplication app(argc, argv);
    TestKeyboardAndFocus test;
    return QTest::qExec(&test, argc, argv);
}

void TestKeyboardAndFocus::siteAddressesThatAreNoWebPagesAreNotOpened()
{
    // A site from a hostile list, first in name order: the site in force at the start.
    m_data->open();
    m_data->addSite(str("Aardvark Hostile"),
        {{"HomeUrl", "file:///etc/passwd"}, {"SearchUrl", "data:text/html,<p>x</p>"},
            {"SubmitUrl", "javascript:alert(1)"}, {"UpdateUrl", pageUrl("page-b.html")}});
    m_data->close();
    QVERIFY(start());
    QSignalSpy loads(window()->browser(), &QWebEngineView::loadStarted);
    window()->openHomePage();
    window()->openSearchPage();
    window()->openSubmitPage();
    const QStringList refused {"file:///etc/passwd", "data:text/html,<p>x</p>", "javascript:alert(1)"};
    QStringList expected;
    for (const QString& address : refused)
        expected.append("The site address " + address + " is not an http, https or mailto address and was not opened.");
    QCOMPARE(m_sink->texts(), expected);
    // A page inside the program folder opens.
    window()->openUpdatePage();
    QVERIFY(FocusedDesktop::waitForMore(loads, 0));
    QCOMPARE(loads.count(), 1);
    QCOMPARE(m_sink->texts().size(), 3);
}

#include "TestKeyboardAndFocus.moc"
