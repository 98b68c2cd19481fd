#include "BrowserView.h"
#include "CompletingComboBox.h"
#include "DataFixture.h"
#include "DataSelectorRows.h"
#include "DesktopStartup.h"
#include "EditorWindow.h"
#include "FocusedDesktop.h"
#include "FormFileNames.h"
#include "FormMap.h"
#include "MainWindow.h"
#include "PageTestKit.h"
#include "PowerPasteMenu.h"
#include "QuilletApplication.h"
#include "RealKeyboard.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>

namespace {

constexpr int kVersion = 15;
constexpr int kDesc250 = 42;

} // namespace

// The program in use is the same everywhere: the programs list, the site
// flags, the data selector and what the form commands enter, from the start
// and after the editor; a description learned for one program is filled with
// the next program's own text.
class TestProgramFollowing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void programsListShowsTheLastProgramAtStart();
    void editorChoiceBecomesTheCurrentProgram();
    void padImportInTheEditorBecomesTheCurrentProgram();
    void pastedDescriptionIsLearnedAndFilledForTheNextProgram();

private:
    bool start() { return FocusedDesktop::start(m_startup, m_data->dir.path()); }
    MainWindow* window() const { return m_startup->mainWindow(); }
    // A flag box shows a set flag as checked, an unset or undecided one otherwise.
    bool flagShown(const char* name) const
    {
        return m_startup->siteSelector()->findChild<QCheckBox*>(str(name))->checkState() == Qt::Checked;
    }
    // Opens the editor with Alt+C, runs work in it, then closes it with Esc.
    void inEditor(const std::function<void(EditorWindow&)>& work);

    std::unique_ptr<DataFixture> m_data;
    std::unique_ptr<RecordingMessageSink> m_sink;
    std::unique_ptr<DesktopStartup> m_startup;
};

void TestProgramFollowing::init()
{
    m_data = std::make_unique<DataFixture>();
    m_data->open();
    const QString form = testPageUrlIn(str("formfill/memo-form.html"), m_data->dir.path());
    m_data->addSite(str("Brookside"), {{"HomeUrl", form}, {"SubmitUrl", form}});
    const QList<QPair<const char*, const char*>> programs
        = {{"NoteNest", "NoteNest keeps your notes.\r\nFind anything in an instant.\r\n"},
            {"PixelPilot", "PixelPilot edits pictures.\r\nExport to PNG or JPEG.\r\n"}};
    for (const auto& [name, description] : programs)
        m_data->addProgram(str(name), {{kVersion, str(name) + str(" version")}, {kDesc250, str(description)}});
    m_data->addFlags(str("PixelPilot"), str("Brookside"), {{"Submitted", 1}, {"Published", 1}});
    m_data->close();
    m_data->dir.writeFile(
        str("quillet.ini"), "[LastProgram]\nProgramName=NoteNest\n[General]\nAutomatically Fill Form Fields=0\n");
    m_sink = std::make_unique<RecordingMessageSink>();
}

void TestProgramFollowing::cleanup()
{
    FocusedDesktop::stop(m_startup);
    m_sink.reset();
    m_data.reset();
}

void TestProgramFollowing::inEditor(const std::function<void(EditorWindow&)>& work)
{
    bool ran = false;
    RealKeyboard::whenModalAppears([&](QWidget* dialog) {
        if (auto* editor = qobject_cast<EditorWindow*>(dialog)) {
            work(*editor);
            ran = true;
        }
        RealKeyboard::tap(Qt::Key_Escape);
    });
    window()->addressBox()->setFocus();
    QVERIFY(RealKeyboard::chord(Qt::Key_C, Qt::AltModifier, str("c")));
    QVERIFY(ran);
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

void TestProgramFollowing::programsListShowsTheLastProgramAtStart()
{
    QVERIFY(start());
    QComboBox* programs = window()->programsComboBox();
    QCOMPARE(programs->count(), 2);
    QCOMPARE(programs->currentText(), str("NoteNest"));
    QCOMPARE(m_startup->dataRows()->value(kVersion), str("NoteNest version"));
    QVERIFY(!flagShown("dcbPublished"));
    m_startup->shutdown();
    m_startup.reset();

    // A last program that has no record any more leaves the list without a choice.
    m_data->dir.writeFile(str("quillet.ini"), "[LastProgram]\nProgramName=Gone\n");
    QVERIFY(start());
    QCOMPARE(window()->programsComboBox()->currentIndex(), -1);
    QCOMPARE(window()->programsComboBox()->count(), 2);
}

void TestProgramFollowing::editorChoiceBecomesTheCurrentProgram()
{
    QVERIFY(start());
    inEditor([](EditorWindow& editor) {
        auto* names = static_cast<QComboBox*>(editor.control(EditorControl::cboProgramName));
        // The editor opens on the main window's program.
        QCOMPARE(names->currentText(), str("NoteNest"));
        names->setFocus();
        QTRY_VERIFY(names->hasFocus() || names->lineEdit()->hasFocus());
        // Down picks the next name, as the user would with the keyboard.
        for (int i = 0; i < 2 && names->currentText() != QLatin1String("PixelPilot"); ++i)
            RealKeyboard::tap(Qt::Key_Down);
        QCOMPARE(names->currentText(), str("PixelPilot"));
    });
    QCOMPARE(window()->programsComboBox()->currentText(), str("PixelPilot"));
    QCOMPARE(m_startup->dataModule()->programFlags().program(), str("PixelPilot"));
    QCOMPARE(m_startup->dataRows()->value(kVersion), str("PixelPilot version"));
    QVERIFY(flagShown("dcbSubmitted"));
    QVERIFY(flagShown("dcbPublished"));

    // Choosing in the programs list afterwards works as before.
    window()->programsComboBox()->setFocus();
    QVERIFY(RealKeyboard::tap(Qt::Key_Up));
    QCOMPARE(window()->programsComboBox()->currentText(), str("NoteNest"));
    QCOMPARE(m_startup->dataRows()->value(kVersion), str("NoteNest version"));
    QVERIFY(!flagShown("dcbPublished"));
}

void TestProgramFollowing::padImportInTheEditorBecomesTheCurrentProgram()
{
    QVERIFY(start());
    // Seen with PixelPilot first, so that the flags shown must change.
    window()->programsComboBox()->setCurrentIndex(1);
    window()->selectProgram(1);
    QVERIFY(flagShown("dcbPublished"));
    inEditor([](EditorWindow& editor) {
        editor.findChild<QTabWidget*>()->setCurrentIndex(1);
        editor.loadPadFile(testDataPath(str("pad/company-and-program.xml")));
    });
    QComboBox* programs = window()->programsComboBox();
    QCOMPARE(programs->count(), 3);
    QCOMPARE(programs->currentText(), str("Doe Editor"));
    QCOMPARE(m_startup->dataModule()->programFlags().program(), str("Doe Editor"));
    QCOMPARE(m_startup->dataRows()->value(PropertyCatalogue::ProgramName), str("Doe Editor"));
    QVERIFY(!flagShown("dcbSubmitted"));
    QVERIFY(!flagShown("dcbPublished"));
}

void TestProgramFollowing::pastedDescriptionIsLearnedAndFilledForTheNextProgram()
{
    QVERIFY(start());
    MainWindow* w = window();
    QWebEnginePage* page = w->browser()->page();
    QSignalSpy loaded(w->browser(), &QWebEngineView::loadFinished);
    QSignalSpy finished(w, &MainWindow::formCommandFinished);

    // Su&bmit Page from the site list, where the site was picked.
    QWidget* siteList = m_startup->siteSelector()->findChild<QWidget*>(str("sitesDBGrid"));
    siteList->setFocus();
    QTRY_VERIFY(siteList->hasFocus());
    qsizetype before = loaded.count();
    QVERIFY(RealKeyboard::chord(Qt::Key_B, Qt::AltModifier, str("b")));
    QVERIFY(FocusedDesktop::waitForMore(loaded, before));
    // A click into the description field, as the user gives it.
    const QVariantList box = PageTestKit::js(page,
        str("(() => { const r = document.querySelector('textarea[name=description]').getBoundingClientRect();"
            " return [r.left + r.width / 2, r.top + r.height / 2]; })()"))
                                 .toList();
    QCOMPARE(box.size(), 2);
    const QPoint inField(qRound(box.at(0).toDouble()), qRound(box.at(1).toDouble()));
    QWidget* view = w->browser()->focusProxy();
    QTest::mouseClick(view, Qt::LeftButton, {}, inField);
    QTRY_COMPARE(PageTestKit::js(page, str("document.activeElement.name")).toString(), str("description"));
    // Then the description from the Power Paste menu.
    PowerPasteMenu& menu = w->powerPasteMenu();
    int position = -1;
    for (int i = 0; i < menu.count(); ++i) {
        if (menu.item(i).catalogueIndex == kDesc250)
            position = i;
    }
    QVERIFY(position >= 0);
    menu.popup(view->mapToGlobal(inField));
    QTRY_VERIFY(menu.isVisible());
    // A platform that makes the menu's window the focus window does so now.
    static_cast<void>(QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == menu.windowHandle(); }, 1000));
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.itemRect(position).center());
    QTRY_VERIFY(!menu.isVisible());
    const QString first = str("NoteNest keeps your notes.\nFind anything in an instant.");
    QTRY_COMPARE_WITH_TIMEOUT(
        PageTestKit::js(page, str("document.querySelector('textarea[name=description]').value")).toString(), first,
        10000);
    // The page counts what arrived: no final line break.
    QCOMPARE(PageTestKit::js(page, str("document.getElementById('count').textContent")).toString(),
        QString::number(first.size()));

    // The keyboard is back with the main window and the field.
    QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::focusWindow(), w->windowHandle(), FocusedDesktop::OutcomeTimeoutMs);
    QTRY_COMPARE(QApplication::focusWidget(), view);
    // "Save form" learns the description as the Desc250 entry.
    before = finished.count();
    QVERIFY(RealKeyboard::chord(Qt::Key_S, Qt::AltModifier, str("s")));
    QVERIFY(FocusedDesktop::waitForMore(finished, before));
    QCOMPARE(finished.last().first().toString(), str("Form saved"));
    const FormMap map = FormMap::load(FormFileNames::siteMap(m_data->dir.path(), str("Brookside")));
    QCOMPARE(map.dataField(str("description")), std::optional<QString>(str("Desc250")));

    // The next program, picked in the programs list with the keyboard, and
    // "Auto fill form" on a fresh page: its own description goes in.
    w->programsComboBox()->setFocus();
    QVERIFY(RealKeyboard::tap(Qt::Key_Down));
    QCOMPARE(w->programsComboBox()->currentText(), str("PixelPilot"));
    before = loaded.count();
    QVERIFY(RealKeyboard::chord(Qt::Key_B, Qt::AltModifier, str("b")));
    QVERIFY(FocusedDesktop::waitForMore(loaded, before));
    before = finished.count();
    QVERIFY(RealKeyboard::chord(Qt::Key_A, Qt::AltModifier, str("a")));
    QVERIFY(FocusedDesktop::waitForMore(finished, before));
    QCOMPARE(finished.last().first().toString(), str("Form loaded"));
    const QString second = str("PixelPilot edits pictures.\nExport to PNG or JPEG.");
    QCOMPARE(
        PageTestKit::js(page, str("document.querySelector('textarea[name=description]').value")).toString(), second);
    QCOMPARE(PageTestKit::js(page, str("document.getElementById('count').textContent")).toString(),
        QString::number(second.size()));
    QVERIFY(m_sink->messages.isEmpty());
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QuilletApplication app(argc, argv);
    TestProgramFollowing test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestProgramFollowing.moc"
