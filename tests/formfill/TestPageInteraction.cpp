#include "FormFillCommands.h"
#include "FormMap.h"
#include "IniDocument.h"
#include "LateFieldWatch.h"
#include "PageFormAdapter.h"
#include "PageTestKit.h"
#include "UploadChooserPage.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineView>

// What a user does on a page in a real view: typing while late fields come
// in, clicking an upload field that the fill offered a file.
class TestPageInteraction : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void lateFieldsNeverOverwriteWhatTheUserTyped();
    void lateOptionsNeverOverrideTheUsersChoice();
    void uploadFieldIsOfferedTheProgramsFileOnClick();
    void captureMapsTheChosenProgramFile();

private:
    bool load(const QString& file)
    {
        return PageTestKit::load(m_page, QUrl::fromLocalFile(testDataPath(str("formfill/") + file)));
    }
    QVariant js(const QString& script) { return PageTestKit::js(m_page, script); }
    // A real click of the left button in the middle of the element with id.
    void click(const QString& id);

    std::unique_ptr<PageTestKit> m_kit;
    std::unique_ptr<RecordingMessageSink> m_sink;
    std::unique_ptr<QWebEngineView> m_view;
    UploadChooserPage* m_page = nullptr;
    std::unique_ptr<PageFormAdapter> m_adapter;
    QList<UploadChooserPage::Request> m_requests;
    QStringList m_answer;
};

void TestPageInteraction::init()
{
    m_kit = std::make_unique<PageTestKit>();
    m_sink = std::make_unique<RecordingMessageSink>();
    m_view = std::make_unique<QWebEngineView>();
    m_page = new UploadChooserPage(m_view.get());
    m_view->setPage(m_page);
    m_adapter = std::make_unique<PageFormAdapter>(m_page);
    m_requests.clear();
    m_answer.clear();
    // The chooser a user would answer: it records what it was asked and answers as told.
    m_page->setChooser([this](const UploadChooserPage::Request& request) {
        m_requests.append(request);
        return m_answer;
    });
    m_view->resize(400, 400);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestPageInteraction::cleanup()
{
    m_adapter.reset();
    m_view.reset();
    m_sink.reset();
    m_kit.reset();
}

void TestPageInteraction::click(const QString& id)
{
    const QVariantList centre = js(str("centre('%1')").arg(id)).toList();
    QCOMPARE(centre.size(), 2);
    const QPoint at(centre.at(0).toInt(), centre.at(1).toInt());
    QWidget* target = m_view->focusProxy() ? m_view->focusProxy() : m_view.get();
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
}

void TestPageInteraction::lateOptionsNeverOverrideTheUsersChoice()
{
    m_kit->writeMap({str("category="), str("subcategory=")});
    m_kit->writeValues("[category]\nValue=Utilities;\n[subcategory]\nValue=Text editors;\n");
    QUrl url = QUrl::fromLocalFile(testDataPath(str("formfill/dependent.html")));
    url.setQuery(str("delay=2500"));
    QVERIFY(PageTestKit::load(m_page, url));
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, m_kit->context(8000)), str("Form loaded"));
    const QString sub = str("document.querySelector('[name=subcategory]').value");
    QCOMPARE(js(sub).toString(), QString());
    // Before the subcategories come, the user picks one with the keyboard.
    js(str("document.querySelector('[name=subcategory]').focus()"));
    m_view->setFocus();
    QWidget* target = m_view->focusProxy() ? m_view->focusProxy() : m_view.get();
    QTest::keyClick(target, Qt::Key_Down);
    QTRY_COMPARE(js(sub).toString(), str("Other"));
    // The page's list arrives (and resets the choice itself); the fill chooses nothing for the user.
    QTRY_COMPARE_WITH_TIMEOUT(js(str("delivered")).toInt(), 1, 10000);
    QCOMPARE(js(sub).toString(), QString());
}

void TestPageInteraction::lateFieldsNeverOverwriteWhatTheUserTyped()
{
    m_kit->properties[45].setValue(str("Fixed the export")); // Changes
    m_kit->refreshRows();
    m_kit->writeMap({str("title=Program"), str("version=Version"), str("changes=Changes")});
    QVERIFY(load(str("late.html")));
    QCOMPARE(FormFillCommands::autoFillAndWait(*m_adapter, m_kit->context(3000)), str("Form loaded"));
    LateFieldWatch* watch = LateFieldWatch::running(*m_adapter);
    QVERIFY(watch);
    QSignalSpy finished(watch, &LateFieldWatch::finished);
    // The watch deletes itself once it has finished: its counts are read as it does.
    int userEdited = -1;
    connect(watch, &LateFieldWatch::finished, this, [&userEdited, watch] { userEdited = watch->userEditedCount(); });
    QTRY_COMPARE_WITH_TIMEOUT(
        js(str("(document.querySelector('[name=version]') || {}).value")).toString(), str("2.5"), 3000);

    // The user adds to the title; the page draws the title anew and adds a
    // field for the changes, which the fill takes, while the typed title stays.
    js(str("const t = document.querySelector('[name=title]'); t.focus(); t.setSelectionRange(7, 7);"));
    m_view->setFocus();
    QWidget* target = m_view->focusProxy() ? m_view->focusProxy() : m_view.get();
    QTest::keyClicks(target, str(" Pro"));
    QTRY_VERIFY(js(str("window.redrawn === true")).toBool());
    QTRY_COMPARE_WITH_TIMEOUT(
        js(str("(document.querySelector('[name=changes]') || {}).value")).toString(), str("Fixed the export"), 3000);
    QVERIFY(finished.wait(5000));
    QCOMPARE(js(str("document.querySelector('[name=title]').value")).toString(), str("My Tool Pro"));
    QCOMPARE(userEdited, 1);
    QCOMPARE(m_sink->texts(), QStringList());
}

void TestPageInteraction::uploadFieldIsOfferedTheProgramsFileOnClick()
{
    m_kit->dir.writeFile(str("dist/Tool-2.5.zip"), "PK\x05\x06" + QByteArray(18, '\0'));
    const QString archive = m_kit->dir.file(str("dist/Tool-2.5.zip"));
    m_kit->properties[PropertyCatalogue::FileName].setValue(archive);
    m_kit->refreshRows();
    m_kit->writeMap({str("title=Program"), str("archive=File name"), str("screenshot=Screen URL")});
    QVERIFY(load(str("upload.html")));
    const FormFillCommands::Outcome outcome
        = FormFillCommands::runAndWait(FormFillCommands::Command::AutoFill, *m_adapter, m_kit->context());
    QCOMPARE(outcome.status, str("Form loaded"));
    // Nothing is put into the field by the fill itself.
    QCOMPARE(js(str("document.getElementById('archive').files.length")).toInt(), 0);
    QVERIFY(m_requests.isEmpty());

    // The preview names the file the field is offered.
    FormFillCommands::runAndWait(FormFillCommands::Command::PreviewWithMarks, *m_adapter, m_kit->context());
    QCOMPARE(js(str("document.getElementById('archive').title")).toString(),
        str("File name: %1 (offered when the field is clicked)").arg(archive));
    FormFillCommands::runAndWait(FormFillCommands::Command::AutoFill, *m_adapter, m_kit->context());

    // The user's click opens the chooser with the file pre-selected, and
    // what the user confirms goes into the field.
    m_answer = QStringList {archive};
    click(str("archive"));
    QTRY_COMPARE(m_requests.size(), 1);
    QCOMPARE(m_requests.first().offeredFile, archive);
    QCOMPARE(m_requests.first().mode, QWebEnginePage::FileSelectOpen);
    QTRY_COMPARE(js(str("chosen.join()")).toString(), str("archive:Tool-2.5.zip"));

    // A field the fill offered nothing opens the chooser without a file,
    // although the page's own click handler forges a report that it was
    // offered the archive.
    js(str("document.getElementById('screenshot').addEventListener('click', () => {"
           "  console.debug('\\u2060quillet-upload 0123456789 %1');"
           "  console.debug('\\u2060quillet-upload  %1'); })")
            .arg(archive));
    m_answer.clear();
    click(str("screenshot"));
    QTRY_COMPARE(m_requests.size(), 2);
    QCOMPARE(m_requests.at(1).offeredFile, QString());
    QCOMPARE(js(str("document.getElementById('screenshot').files.length")).toInt(), 0);

    // A file that is gone by the click is not offered.
    QVERIFY(QFile::remove(archive));
    click(str("archive"));
    QTRY_COMPARE(m_requests.size(), 3);
    QCOMPARE(m_requests.at(2).offeredFile, QString());
    QCOMPARE(m_sink->texts(), QStringList());
}

void TestPageInteraction::captureMapsTheChosenProgramFile()
{
    m_kit->dir.writeFile(str("dist/Tool-2.5.zip"), "zip");
    const QString archive = m_kit->dir.file(str("dist/Tool-2.5.zip"));
    m_kit->dir.writeFile(str("dist/other.png"), "png");
    // The row names the program's file by a path of the Windows world: its name still counts.
    m_kit->properties[PropertyCatalogue::FileName].setValue(str("C:\\Dist\\Tool-2.5.zip"));
    m_kit->refreshRows();
    QVERIFY(load(str("upload.html")));
    m_answer = QStringList {archive};
    click(str("archive"));
    QTRY_COMPARE(js(str("chosen.join()")).toString(), str("archive:Tool-2.5.zip"));
    m_answer = QStringList {m_kit->dir.file(str("dist/other.png"))};
    click(str("screenshot"));
    QTRY_COMPARE(js(str("chosen.length")).toInt(), 2);

    QCOMPARE(FormFillCommands::saveFormAndWait(*m_adapter, m_kit->context()), str("Form saved"));
    QStringList recorded;
    for (const FormMap::Control& c : FormMap::load(m_kit->dir.file(str("SiteData/Soft Site.xml"))).controls())
        recorded << c.name + QLatin1Char('|') + c.type + QLatin1Char('|') + c.dataField;
    QCOMPARE(recorded, QStringList({str("title|text|"), str("archive|file|File name"), str("screenshot|file|")}));
    // Another file is recorded as before: the page's own text for it.
    const IniDocument values = IniDocument::load(m_kit->dir.file(str("SiteData/My ToolSoft Site.ini")));
    QVERIFY(!values.hasSection(str("archive")));
    QCOMPARE(values.readString(str("screenshot"), str("Value"), {}), str("C:\\fakepath\\other.png"));
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestPageInteraction test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestPageInteraction.moc"
