#include "DataFixture.h"
#include "DemoSetup.h"
#include "EditorWindow.h"
#include "PadCheckDialog.h"
#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

using namespace EditorControl;
using Origin = EditorState::Origin;

namespace {

const QRegularExpression kError(QStringLiteral("^error: "));

} // namespace

class TestPadEditor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void countersShowThePadLimitAndMarkWithoutBlocking_data()
    {
        QTest::addColumn<int>("control");
        QTest::addColumn<int>("limit");
        // One line box and one memo: the boxes of a kind share one loop.
        QTest::newRow("45") << int(edtDesc45) << 45;
        QTest::newRow("2000") << int(memDesc2000) << 2000;
    }

    void countersShowThePadLimitAndMarkWithoutBlocking()
    {
        QFETCH(int, control);
        QFETCH(int, limit);
        const Id id = static_cast<Id>(control);
        DataFixture fixture;
        fixture.open();
        EditorWindow window(fixture.config(), fixture.properties(), fixture.dm());
        QLabel* counter = window.padCounter(id);
        QVERIFY(counter);
        QCOMPARE(counter->objectName(), QStringLiteral("lbl%1Count").arg(name(id).mid(3)));
        QCOMPARE(counter->text(), QStringLiteral("0 / %1").arg(limit));

        const auto put = [&](const QString& text) {
            if (kind(id) == Kind::Memo)
                window.state().setLines(id, text.split(QLatin1Char('\n')), Origin::Editor);
            else
                window.state().setText(id, text, Origin::Editor);
        };
        // Just inside: at the limit, a line break counting as one.
        const QString inside = kind(id) == Kind::Memo ? QString(limit - 2, QLatin1Char('a')) + QStringLiteral("\nb")
                                                      : QString(limit, QLatin1Char('a'));
        put(inside);
        QCOMPARE(counter->text(), QStringLiteral("%1 / %1").arg(limit));
        QVERIFY(!window.control(id)->property("padOverLimit").toBool());
        // Just outside: marked, and kept whole.
        put(inside + QStringLiteral("c"));
        QCOMPARE(counter->text(), QStringLiteral("%1 / %2").arg(limit + 1).arg(limit));
        QVERIFY(window.control(id)->property("padOverLimit").toBool());
        QVERIFY(!counter->styleSheet().isEmpty());
        put(QStringLiteral("short"));
        QVERIFY(!window.control(id)->property("padOverLimit").toBool());
        QVERIFY(counter->styleSheet().isEmpty());
        window.state().programChanged = false;
    }

    void demoExportCheckFixAndCheckAgain()
    {
        // The demo's dates were stored by quillet-cli in the system's format.
        QLocale::setDefault(QLocale::system());
        TestProgramDirectory dir;
        const QString demo = dir.path() + QStringLiteral("demo");
        const QString failed = setUpDemo(demo);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));

        ProgramSession session(demo + QLatin1Char('/'));
        session.start();
        SubmissionDatabase dm(session.config(), session.properties());
        dm.open();
        RecordingMessageSink sink;
        EditorWindow window(session.config(), session.properties(), dm);
        const QString file = dir.file(QStringLiteral("notenest.xml"));
        QString suggested;
        window.setSaveFileChooser([&](QWidget*, const QString&, const QString& path) {
            suggested = path;
            return file;
        });
        window.setFileChooser([&](QWidget*, const QString&, const QString&) { return file; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeWindow() == &window, 30000);
        auto* names = window.findChild<QComboBox*>(QStringLiteral("cboProgramName"));
        names->setCurrentIndex(names->findText(QStringLiteral("NoteNest")));
        QVERIFY(names->currentIndex() >= 0);
        Q_EMIT names->activated(names->currentIndex());

        window.findChild<QAction*>(QStringLiteral("ExportPAD1"))->trigger();
        QCOMPARE(suggested, demo + QStringLiteral("/PAD/NoteNest.xml"));
        QVERIFY(QFile::exists(file));
        QCOMPARE(sink.texts(), QStringList {QStringLiteral("The PAD file %1 is written.").arg(file)});
        window.findChild<QAction*>(QStringLiteral("CheckPAD1"))->trigger();
        PadCheckDialog* check = window.padCheckDialog();
        QVERIFY(check);
        QVERIFY(check->isVisible());
        QCOMPARE(check->lines().filter(kError),
            QStringList {"error: Program_Descriptions/English/Char_Desc_45 \"Notes, outlines and to-do lists that stay "
                         "organised.\": Char_Desc_45 has 52 characters; PAD allows 45"});
        QCOMPARE(check->summary(), QStringLiteral("notenest.xml: 1 error, 9 warnings"));
        // The keyboard is in the field to correct.
        auto* desc45 = window.findChild<QLineEdit*>(QStringLiteral("edtDesc45"));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget*>(desc45), 30000);

        desc45->selectAll();
        QTest::keyClicks(desc45, QStringLiteral("Notes and to-do lists that stay organised"));
        // The "Check" button checks what the editor shows, before any export.
        window.findChild<QWidget*>(QStringLiteral("btnCheckPAD"))->setFocus();
        window.checkRecord();
        QCOMPARE(check->lines().filter(kError), QStringList());
        QVERIFY(!check->lines().isEmpty());

        window.findChild<QAction*>(QStringLiteral("ExportPAD1"))->trigger();
        window.findChild<QAction*>(QStringLiteral("CheckPAD1"))->trigger();
        QCOMPARE(check->lines().filter(kError), QStringList());
        QCOMPARE(check->summary(), QStringLiteral("notenest.xml: no errors, 9 warnings"));
        window.state().programChanged = false;
    }

    void exportWithoutProgramAsksForOne()
    {
        DataFixture fixture;
        fixture.open();
        RecordingMessageSink sink;
        EditorWindow window(fixture.config(), fixture.properties(), fixture.dm());
        bool asked = false;
        window.setSaveFileChooser([&](QWidget*, const QString&, const QString&) {
            asked = true;
            return QString();
        });
        window.exportPad();
        QVERIFY(!asked);
        QCOMPARE(
            sink.texts(), QStringList {QStringLiteral("Choose a program first: the PAD file describes one program.")});
    }
};

QTEST_MAIN(TestPadEditor)
#include "TestPadEditor.moc"
