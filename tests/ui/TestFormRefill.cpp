#include "BrowserView.h"
#include "CompletingComboBox.h"
#include "DataFixture.h"
#include "DesktopStartup.h"
#include "FocusedDesktop.h"
#include "MainWindow.h"
#include "PageServer.h"
#include "PageTestKit.h"
#include "QuilletApplication.h"
#include "RealKeyboard.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

constexpr int kDesc250 = 42;

} // namespace

// On one page, a fill for NoteNest, a value pasted for it by hand, then the
// program switched to PixelPilot (which has no description) and a second
// fill: nothing of NoteNest's may stay for PixelPilot's submission.
class TestFormRefill : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void refillForAnotherProgramLeavesNothingOfTheFirst();
    void pasteIntoARichTextEditorIsClearedForAnotherProgram();

private:
    std::unique_ptr<DataFixture> m_data;
    std::unique_ptr<RecordingMessageSink> m_sink;
    std::unique_ptr<DesktopStartup> m_startup;
};

void TestFormRefill::init()
{
    m_data = std::make_unique<DataFixture>();
    m_data->open();
    // Site addresses open local pages only inside the program folder.
    const QString form = testPageUrlIn(str("formfill/memo-form.html"), m_data->dir.path());
    m_data->addSite(str("Brookside"), {{"HomeUrl", form}, {"SubmitUrl", form}});
    m_data->addProgram(
        str("NoteNest"), {{kDesc250, str("NoteNest keeps your notes.\r\nFind anything in an instant.\r\n")}});
    m_data->addProgram(str("PixelPilot"), {{kDesc250, QString()}});
    m_data->close();
    m_data->dir.writeFile(
        str("quillet.ini"), "[LastProgram]\nProgramName=NoteNest\n[General]\nAutomatically Fill Form Fields=0\n");
    m_data->dir.writeFile(str("SiteData/Brookside.xml"),
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"productname\" Type=\"text\" DataField=\"Program\"/>"
        "<CONTROL Name=\"description\" Type=\"textarea\" DataField=\"Desc250\"/></XML_SITE_SUBMIT_INFO>\r\n");
    m_sink = std::make_unique<RecordingMessageSink>();
}

void TestFormRefill::cleanup()
{
    FocusedDesktop::stop(m_startup);
    m_sink.reset();
    m_data.reset();
}

void TestFormRefill::refillForAnotherProgramLeavesNothingOfTheFirst()
{
    QVERIFY(FocusedDesktop::start(m_startup, m_data->dir.path()));
    MainWindow* w = m_startup->mainWindow();
    QWebEnginePage* page = w->browser()->page();
    QSignalSpy loaded(w->browser(), &QWebEngineView::loadFinished);
    QSignalSpy finished(w, &MainWindow::formCommandFinished);
    QLabel* status = w->statusBar()->findChild<QLabel*>(str("StatusPanel0"));
    QVERIFY(status);
    const QString fields = str("Array.from(document.forms[0].elements).map(e => e.name + '=' + e.value).join('|')");

    QWidget* siteList = m_startup->siteSelector()->findChild<QWidget*>(str("sitesDBGrid"));
    siteList->setFocus();
    QTRY_VERIFY(siteList->hasFocus());
    QVERIFY(RealKeyboard::chord(Qt::Key_B, Qt::AltModifier, str("b")));
    // Counted rather than waited for: the answer may come while the chord is still being handled.
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 20000);
    QVERIFY(RealKeyboard::chord(Qt::Key_A, Qt::AltModifier, str("a")));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
    QCOMPARE(status->text(), str("Form loaded"));
    // What's new, pasted by hand into the page for NoteNest.
    QWidget* view = w->browser()->focusProxy();
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());
    PageTestKit::js(page, str("document.querySelector('[name=whatsnew]').focus()"));
    w->pastePropertyValueInBrowser(str("NoteNest 2.0 is out.\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(PageTestKit::js(page, fields).toString(),
        str("product[name]=NoteNest|summary=|description=NoteNest keeps your notes.\nFind anything in an "
            "instant.|whatsnew=NoteNest 2.0 is out."),
        10000);

    // PixelPilot, picked with the keyboard, filled on the same page.
    w->programsComboBox()->setFocus();
    QVERIFY(RealKeyboard::tap(Qt::Key_Down));
    QCOMPARE(w->programsComboBox()->currentText(), str("PixelPilot"));
    QVERIFY(RealKeyboard::chord(Qt::Key_A, Qt::AltModifier, str("a")));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 20000);
    QCOMPARE(status->text(), str("Form loaded; 2 fields written for NoteNest were cleared"));
    QCOMPARE(PageTestKit::js(page, fields).toString(), str("product[name]=PixelPilot|summary=|description=|whatsnew="));
    // The page's own character count heard the change.
    QCOMPARE(PageTestKit::js(page, str("document.getElementById('count').textContent")).toString(), str("0"));

    // Filling PixelPilot again finds nothing more to clear.
    QVERIFY(RealKeyboard::chord(Qt::Key_A, Qt::AltModifier, str("a")));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 3, 20000);
    QCOMPARE(status->text(), str("Form loaded"));
    QVERIFY(m_sink->messages.isEmpty());
}

void TestFormRefill::pasteIntoARichTextEditorIsClearedForAnotherProgram()
{
    QVERIFY(FocusedDesktop::start(m_startup, m_data->dir.path()));
    MainWindow* w = m_startup->mainWindow();
    QWebEnginePage* page = w->browser()->page();
    QSignalSpy loaded(w->browser(), &QWebEngineView::loadFinished);
    QSignalSpy finished(w, &MainWindow::formCommandFinished);
    QLabel* status = w->statusBar()->findChild<QLabel*>(str("StatusPanel0"));
    // Served over loopback: a local page may not load the editor's script files beside it.
    PageServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    w->addressBox()->setEditText(server.url(str("widgets.html")).toString());
    w->findAddress();
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 20000);
    QVERIFY(loaded.last().first().toBool());
    const QString state = str("JSON.parse(siteState())");

    // Power Paste into the description editor, as the author gives it for NoteNest.
    QWidget* view = w->browser()->focusProxy();
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());
    PageTestKit::js(page, str("quill.focus()"));
    w->pastePropertyValueInBrowser(str("NoteNest keeps your notes.\r\nFind anything in an instant.\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(PageTestKit::js(page, state + str(".editor")).toString(),
        str("NoteNest keeps your notes.\nFind anything in an instant.\n"), 10000);
    QCOMPARE(PageTestKit::js(page, str("document.querySelector('[name=description]').value")).toString(),
        str("NoteNest keeps your notes.\nFind anything in an instant."));

    // PixelPilot, and its fill: the editor holds nothing of NoteNest's.
    w->programsComboBox()->setFocus();
    QVERIFY(RealKeyboard::tap(Qt::Key_Down));
    QCOMPARE(w->programsComboBox()->currentText(), str("PixelPilot"));
    QVERIFY(RealKeyboard::chord(Qt::Key_A, Qt::AltModifier, str("a")));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
    QCOMPARE(status->text(), str("Form loaded; 1 field written for NoteNest was cleared"));
    QCOMPARE(PageTestKit::js(page, state + str(".editor")).toString(), str("\n"));
    QCOMPARE(PageTestKit::js(page, str("document.querySelector('[name=description]').value")).toString(), QString());
    QVERIFY(m_sink->messages.isEmpty());
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QuilletApplication app(argc, argv);
    TestFormRefill test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestFormRefill.moc"
