#include "BrowserView.h"
#include "CompletingComboBox.h"
#include "DataFixture.h"
#include "DesktopStartup.h"
#include "FormFillCommands.h"
#include "MainWindow.h"
#include "PageFormAdapter.h"
#include "PageServer.h"
#include "PageTestKit.h"
#include "QuilletApplication.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace {

QAction* action(QWidget* window, const char* name)
{
    return window->findChild<QAction*>(QString::fromLatin1(name));
}

QString statusText(MainWindow* window)
{
    return window->statusBar()->findChild<QLabel*>(str("StatusPanel0"))->text();
}

bool loadAndWait(MainWindow* window, const QString& url)
{
    QSignalSpy finished(window->browser(), &QWebEngineView::loadFinished);
    window->addressBox()->setEditText(url);
    window->findAddress();
    return finished.wait(120000) && finished.last().first().toBool();
}

} // namespace

// The fill's preview and notes in the main window, and the upload chooser of
// the browser, on real pages.
class TestFormPreview : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void previewOutlinesWhatTheFillWouldSet();
    void statusBarNamesFramesOfOtherSites();
    void uploadDialogOpensAtTheOfferedFile();

private:
    // A program "Tool" on the site "Page Site" with a map for the title, automatic filling off.
    void prepare(DataFixture& f, const QByteArray& map);
};

void TestFormPreview::prepare(DataFixture& f, const QByteArray& map)
{
    f.open();
    f.addSite("Page Site");
    f.properties()[14].setValue("Tool");
    f.dm().saveProgram("Tool");
    f.close();
    f.dir.writeFile("SiteData/Page Site.xml", map);
    f.dir.writeFile("quillet.ini", "[LastProgram]\nProgramName=Tool\n[General]\nAutomatically Fill Form Fields=0\n");
}

void TestFormPreview::previewOutlinesWhatTheFillWouldSet()
{
    DataFixture f;
    prepare(f,
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"title\" Type=\"text\" DataField=\"Program\"/>"
        "<CONTROL Name=\"other\" Type=\"text\" DataField=\"Program\"/></XML_SITE_SUBMIT_INFO>\r\n");
    RecordingMessageSink sink;
    DesktopStartup startup(f.dir.path());
    startup.start();
    startup.show();
    MainWindow* window = startup.mainWindow();
    QWebEnginePage* page = window->browser()->page();
    QVERIFY(loadAndWait(window, QUrl::fromLocalFile(testDataPath(str("ui/page-a.html"))).toString()));
    PageTestKit::js(page, str("document.getElementById('other').value = 'Tool'"));

    QAction* preview = action(window, "Previewautofill1");
    QVERIFY(preview);
    QVERIFY(preview->isCheckable());
    QCOMPARE(preview->shortcut(), QKeySequence(Qt::ALT | Qt::Key_P));
    QSignalSpy finished(window, &MainWindow::formCommandFinished);
    preview->trigger();
    QVERIFY(finished.wait(120000));
    QVERIFY(preview->isChecked());
    QCOMPARE(statusText(window), str("Auto fill preview: 1 fields would change"));
    QCOMPARE(PageTestKit::js(page, str("[title.title, other.title, title.value].join('|')")).toString(),
        str("Program: Tool||")); // "other" holds its value already: not outlined, not counted

    // Switched off, the outlines go.
    preview->trigger();
    QVERIFY(!preview->isChecked());
    QTRY_COMPARE(PageTestKit::js(page, str("document.querySelectorAll('[title],[style]').length")).toInt(), 0);

    // The fill takes the outlines away and switches the preview off.
    preview->trigger();
    QVERIFY(finished.wait(120000));
    action(window, "autofill1")->trigger();
    QVERIFY(finished.wait(120000));
    QVERIFY(!preview->isChecked());
    QCOMPARE(statusText(window), str("Form loaded"));
    QCOMPARE(PageTestKit::js(page, str("[title.value, document.querySelectorAll('[title],[style]').length].join()"))
                 .toString(),
        str("Tool,0"));
    QVERIFY(sink.messages.isEmpty());
    startup.shutdown();
}

void TestFormPreview::statusBarNamesFramesOfOtherSites()
{
    PageServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    DataFixture f;
    prepare(f,
        "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"inner1\" Type=\"text\" DataField=\"Program\"/>"
        "</XML_SITE_SUBMIT_INFO>\r\n");
    RecordingMessageSink sink;
    DesktopStartup startup(f.dir.path());
    startup.start();
    startup.show();
    MainWindow* window = startup.mainWindow();
    QVERIFY(loadAndWait(window, server.url(str("frames-top.html")).toString()));
    QSignalSpy finished(window, &MainWindow::formCommandFinished);
    // The frame of the other site reports as soon as it has loaded; a fill
    // given before that cannot know of it yet.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            action(window, "autofill1")->trigger();
            return finished.wait(120000)
                && statusText(window) == str("Form loaded; 1 frame of another site was not read");
        }(),
        10000);
    QCOMPARE(PageTestKit::js(window->browser()->page(), str("frames[0].document.querySelector('[name=inner1]').value"))
                 .toString(),
        str("Tool"));
    QVERIFY(sink.messages.isEmpty());
    startup.shutdown();
}

void TestFormPreview::uploadDialogOpensAtTheOfferedFile()
{
    PageTestKit kit;
    kit.dir.writeFile(str("dist/Tool-2.5.zip"), "zip");
    kit.dir.writeFile(str("dist/readme.txt"), "text");
    const QString archive = kit.dir.file(str("dist/Tool-2.5.zip"));
    kit.properties[PropertyCatalogue::FileName].setValue(archive);
    kit.refreshRows();
    kit.writeMap({str("archive=File name")});

    BrowserView view;
    view.resize(400, 400);
    PageFormAdapter adapter(view.page());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(PageTestKit::load(view.page(), QUrl::fromLocalFile(testDataPath(str("formfill/upload.html")))));
    QCOMPARE(FormFillCommands::autoFillAndWait(adapter, kit.context()), str("Form loaded"));

    // The dialog the click opens, as the user finds it; the user takes the file.
    QStringList selected;
    QString folder;
    QTimer answer;
    answer.setInterval(50);
    connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        answer.stop();
        selected = dialog->selectedFiles();
        folder = dialog->directory().absolutePath();
        QMetaObject::invokeMethod(
            dialog, [dialog] { static_cast<QDialog*>(dialog)->done(QDialog::Accepted); }, Qt::QueuedConnection);
    });
    answer.start();
    const QVariantList centre = PageTestKit::js(view.page(), str("centre('archive')")).toList();
    QCOMPARE(centre.size(), 2);
    QWidget* target = view.focusProxy() ? view.focusProxy() : &view;
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(centre.at(0).toInt(), centre.at(1).toInt()));
    QTRY_COMPARE_WITH_TIMEOUT(
        PageTestKit::js(view.page(), str("chosen.join()")).toString(), str("archive:Tool-2.5.zip"), 10000);
    QCOMPARE(selected, QStringList({archive}));
    QCOMPARE(folder, kit.dir.file(str("dist")));
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QuilletApplication app(argc, argv);
    TestFormPreview test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestFormPreview.moc"
