#include "DataFixture.h"
#include "EditorWindow.h"
#include "HelpWindow.h"
#include "MessageBoxSink.h"
#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace EditorControl;

namespace {
constexpr int kVersion = 15; // the program's version among its properties
}

class TestEditorWindow : public QObject {
    Q_OBJECT

private:
    static QString storedVersion(DataFixture& fixture, const QString& name)
    {
        QSqlQuery query(fixture.dm().database());
        query.prepare(QStringLiteral("SELECT Version FROM Programs.Programs WHERE ProgramName = ?"));
        query.addBindValue(name);
        query.exec();
        return query.next() ? query.value(0).toString() : QStringLiteral("<none>");
    }

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void windowHasItsControlsMenusAndPages()
    {
        DataFixture fixture;
        fixture.open();
        EditorWindow window(fixture.config(), fixture.properties(), fixture.dm());
        QCOMPARE(window.objectName(), QStringLiteral("frmConfig"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Configuration"));
        for (int id = 0; id < Count; ++id)
            QVERIFY2(window.findChild<QWidget*>(name(static_cast<Id>(id))), qPrintable(name(static_cast<Id>(id))));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("dteTrialEndDate"))->text(), QStringLiteral("Expire date:"));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label45"))->text(), QStringLiteral("PAD path:"));
        QVERIFY(!window.findChild<QLineEdit*>(QStringLiteral("edtFileSizeMB"))->isEnabled());

        auto* pages = window.findChild<QTabWidget*>();
        QCOMPARE(pages->count(), 4);
        QCOMPARE(pages->tabText(0), QStringLiteral("Company Details"));
        QVERIFY(!pages->isTabVisible(3));

        auto* file = window.findChild<QMenu*>(QStringLiteral("File1"));
        QStringList captions;
        for (QAction* action : file->actions())
            captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(captions,
            (QStringList {QStringLiteral("Save &company"), QStringLiteral("&Save program"), QStringLiteral("Save &all"),
                QStringLiteral("-"), QStringLiteral("Import &PAD"), QStringLiteral("&Export PAD file..."),
                QStringLiteral("C&heck PAD file..."), QStringLiteral("-"), QStringLiteral("E&xit")}));
        QCOMPARE(
            window.findChild<QAction*>(QStringLiteral("NewProgram1"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QCOMPARE(window.findChild<QComboBox*>(QStringLiteral("cboLicense"))->count(), 5);
        QVERIFY(window.findChild<QCheckBox*>(QStringLiteral("chkSiteEffects"))->isChecked());

        // Help opens on the editor's page, which says that the PAD import stores
        // the program at once and reads only the active tab's details.
        window.findChild<QAction*>(QStringLiteral("ConfiguringQuillet1"))->trigger();
        QVERIFY(HelpWindow::instance());
        QCOMPARE(HelpWindow::instance()->currentPage().fileName(), QStringLiteral("editor.html"));
        QFile page(QStringLiteral(":/help/editor.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(page.readAll()).simplified();
        QVERIFY(!text.contains(QStringLiteral("fills the company and program details")));
        QVERIFY(text.contains(QStringLiteral("On <b>Company Details</b> it fills the company's details only")));
        QVERIFY(text.contains(QStringLiteral("<b>stores the program at once</b>")));
        QVERIFY(text.contains(QStringLiteral("stores nothing and leaves the editor as it was")));
    }

    void editingAProgramAndSavingThroughTheMenu()
    {
        DataFixture fixture;
        fixture.open();
        fixture.addProgram(QStringLiteral("Alpha"), {{kVersion, QStringLiteral("1.0")}});
        fixture.addProgram(QStringLiteral("Beta"), {{kVersion, QStringLiteral("2.0")}});
        RecordingMessageSink sink;

        EditorWindow window(fixture.config(), fixture.properties(), fixture.dm());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.findChild<QTabWidget*>()->setCurrentIndex(1);

        auto* names = window.findChild<QComboBox*>(QStringLiteral("cboProgramName"));
        QCOMPARE(names->count(), 2);
        // It opens on the main window's program, unchanged: Beta, the second in the
        // list, which addProgram left loaded. Dates the program does not have read "none".
        QCOMPARE(names->currentText(), QStringLiteral("Beta"));
        QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("edtVersion"))->text(), QStringLiteral("2.0"));
        QCOMPARE(window.findChild<QDateEdit*>(QStringLiteral("dteExpire"))->text(), QStringLiteral("none"));
        QVERIFY(!window.state().programChanged);
        names->setCurrentIndex(1);
        Q_EMIT names->activated(1);
        auto* version = window.findChild<QLineEdit*>(QStringLiteral("edtVersion"));
        QCOMPARE(version->text(), QStringLiteral("2.0"));

        version->selectAll();
        QTest::keyClicks(version, QStringLiteral("2.1 beta"));
        auto* changes = window.findChild<QPlainTextEdit*>(QStringLiteral("memChanges"));
        QTest::keyClicks(changes, QStringLiteral("Faster"));
        QVERIFY(window.state().programChanged);
        {
            // Cancel keeps the window and its edits: closing by the title bar, by Esc
            // and by Exit, switching program, New Program.
            RecordingMessageSink cancelling;
            cancelling.setNextAnswer(MessageSink::Answer::Cancel);
            QVERIFY(!window.close());
            QTest::keyClick(&window, Qt::Key_Escape);
            window.findChild<QAction*>(QStringLiteral("Exit1"))->trigger();
            QVERIFY(window.isVisible());
            QCOMPARE(cancelling.questions.size(), 3);
            names->setCurrentIndex(0);
            Q_EMIT names->activated(0);
            window.findChild<QAction*>(QStringLiteral("NewProgram1"))->trigger();
            QCOMPARE(cancelling.questions.size(), 5);
            for (const RecordingMessageSink::Entry& question : std::as_const(cancelling.questions))
                QCOMPARE(question.text, QStringLiteral("Program data has changed, save now?"));
            QCOMPARE(names->currentText(), QStringLiteral("Beta"));
            QCOMPARE(version->text(), QStringLiteral("2.1 beta"));
            QCOMPARE(storedVersion(fixture, QStringLiteral("Beta")), QStringLiteral("2.0"));
            QVERIFY(cancelling.messages.isEmpty());
        }

        // Delete over the whole file date takes it out; Backspace over one part of it does not.
        auto* fileDate = window.findChild<QDateEdit*>(QStringLiteral("dteFile"));
        fileDate->setDate(QDate(2026, 3, 7));
        fileDate->setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClick(fileDate, Qt::Key_Backspace);
        QCOMPARE(fileDate->date(), QDate(2026, 3, 7));
        fileDate->selectAll();
        QTest::keyClick(fileDate, Qt::Key_Delete);
        QCOMPARE(fileDate->text(), QStringLiteral("none"));

        // The short description takes no more than 45 typed characters.
        window.findChild<QTabWidget*>()->setCurrentIndex(2);
        auto* desc45 = window.findChild<QLineEdit*>(QStringLiteral("edtDesc45"));
        QTest::keyClicks(desc45, QString(50, QLatin1Char('x')));
        QCOMPARE(desc45->text().size(), 45);
        auto* desc250 = window.findChild<QPlainTextEdit*>(QStringLiteral("memDesc250"));
        QTest::keyClicks(desc250, QString(260, QLatin1Char('y')));
        QCOMPARE(desc250->toPlainText().size(), 250);
        // Text the editor puts in itself is not cut.
        window.state().setText(edtDesc80, QString(100, QLatin1Char('z')), EditorState::Origin::Editor);
        QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("edtDesc80"))->text().size(), 100);

        window.findChild<QAction*>(QStringLiteral("Saveprogram1"))->trigger();
        QCOMPARE(storedVersion(fixture, QStringLiteral("Beta")), QStringLiteral("2.1 beta"));
        QCOMPARE(fixture.properties()[45].getValue(), QStringLiteral("Faster\r\n"));
        QCOMPARE(fixture.properties()[40].getValue(), QString(45, QLatin1Char('x')));
        QCOMPARE(fixture.properties()[42].getValue(), QString(250, QLatin1Char('y')) + QStringLiteral("\r\n"));
        QCOMPARE(fixture.properties()[41].getValue(), QString(100, QLatin1Char('z')));
        QCOMPARE(fixture.properties()[22].getValue(), QString());
        QVERIFY(!window.state().programChanged);

        window.findChild<QAction*>(QStringLiteral("Exit1"))->trigger();
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(sink.questions.isEmpty());
        QVERIFY(sink.messages.isEmpty());
    }

    void closingWithUnsavedEditsAsks()
    {
        DataFixture fixture;
        fixture.open();
        fixture.addProgram(QStringLiteral("Alpha"), {{kVersion, QStringLiteral("1.0")}});
        RecordingMessageSink sink;
        sink.setNextAnswer(MessageSink::Answer::Yes);
        {
            EditorWindow window(fixture.config(), fixture.properties(), fixture.dm());
            auto* names = window.findChild<QComboBox*>(QStringLiteral("cboProgramName"));
            Q_EMIT names->activated(0);
            QTest::keyClicks(window.findChild<QLineEdit*>(QStringLiteral("edtPrice")), QStringLiteral("5"));
            window.reject();
        }
        QCOMPARE(sink.questions.size(), 1);
        QCOMPARE(sink.questions.at(0).text, QStringLiteral("Program data has changed, save now?"));
    }

    void questionBoxTakesEscAndCloseAsCancel()
    {
        // By Esc, and by the title bar's close.
        for (const bool byEsc : {true, false}) {
            QMessageBox::StandardButtons offered;
            QTimer answer;
            connect(&answer, &QTimer::timeout, this, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box || !box->isVisible())
                    return;
                answer.stop();
                offered = box->standardButtons();
                if (byEsc)
                    QTest::keyClick(box, Qt::Key_Escape);
                else
                    box->close();
            });
            answer.start(20);
            MessageBoxSink sink;
            QCOMPARE(sink.askYesNoCancel(QStringLiteral("Program data has changed, save now?")),
                MessageSink::Answer::Cancel);
            QCOMPARE(offered, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        }
    }

    void companySavedThroughTheClosingQuestionIsStoredLikeSaveCompany()
    {
        // The companies.ini a company imported on the "Company Details" tab
        // leaves, saved through the closing question and through "Save company".
        QByteArray companies[2];
        for (const bool throughQuestion : {true, false}) {
            DataFixture fixture;
            fixture.dir.writeFile(QStringLiteral("companies.ini"), "[Acme]\r\nCity=Springfield\r\n");
            fixture.dir.writeFile(QStringLiteral("quillet.ini"), "[Config]\r\nLastCompany=Acme\r\n");
            fixture.open();
            RecordingMessageSink sink;
            sink.setNextAnswer(MessageSink::Answer::Yes);
            {
                EditorWindow window(fixture.config(), fixture.properties(), fixture.dm());
                window.show();
                QVERIFY(QTest::qWaitForWindowExposed(&window));
                window.findChild<QTabWidget*>()->setCurrentIndex(0);
                window.loadPadFile(testDataPath(QStringLiteral("pad/company-and-program.xml")));
                QCOMPARE(window.state().text(cbCompany), QStringLiteral("Doe Software"));
                if (!throughQuestion)
                    window.findChild<QAction*>(QStringLiteral("Savecompany1"))->trigger();
                window.findChild<QAction*>(QStringLiteral("Exit1"))->trigger();
                QVERIFY(!window.isVisible());
                QCOMPARE(sink.questions.size(), throughQuestion ? 1 : 0);
            }
            companies[throughQuestion] = fixture.dir.readFile(QStringLiteral("companies.ini"));
            // Opened again, the editor lists the company and shows it.
            EditorWindow again(fixture.config(), fixture.properties(), fixture.dm());
            QVERIFY(again.state().items(cbCompany).contains(QStringLiteral("Doe Software")));
            QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("cbCompany"))->currentText(),
                QStringLiteral("Doe Software"));
        }
        QVERIFY2(companies[true].contains("[Doe Software]"), companies[true].constData());
        QVERIFY(companies[true].contains("Contact=Jane Doe"));
        QVERIFY(companies[true].contains("City=Springfield"));
        QCOMPARE(companies[true], companies[false]);
    }

    void refusedSaveAtClosingKeepsTheWindowAndItsEdits()
    {
        DataFixture fixture;
        fixture.open();
        RecordingMessageSink sink;
        EditorWindow window(fixture.config(), fixture.properties(), fixture.dm());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* company = window.findChild<QComboBox*>(QStringLiteral("cbCompany"));
        company->lineEdit()->selectAll();
        QTest::keyClicks(company->lineEdit(), QStringLiteral("Gamma]"));
        auto* city = window.findChild<QLineEdit*>(QStringLiteral("edtCity"));
        city->selectAll();
        QTest::keyClicks(city, QStringLiteral("Ogdenville"));
        QVERIFY(window.state().companyChanged);

        // Yes to saving: the name cannot be stored, so the window stays with what was typed.
        sink.setNextAnswer(MessageSink::Answer::Yes);
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        QCOMPARE(sink.texts(), QStringList {QStringLiteral("A company name cannot contain \"]\" or a line break.")});
        QCOMPARE(city->text(), QStringLiteral("Ogdenville"));
        QCOMPARE(company->currentText(), QStringLiteral("Gamma]"));
        QVERIFY(!fixture.dir.readFile(QStringLiteral("companies.ini")).contains("Gamma"));

        // The same through the menu's Exit.
        window.findChild<QAction*>(QStringLiteral("Exit1"))->trigger();
        QVERIFY(window.isVisible());
        QCOMPARE(sink.messages.size(), 2);

        // No to saving closes without storing anything.
        sink.setNextAnswer(MessageSink::Answer::No);
        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
        QCOMPARE(sink.messages.size(), 2);
        QVERIFY(!fixture.dir.readFile(QStringLiteral("companies.ini")).contains("Ogdenville"));
    }

    void languageFileTranslatesAndOsListFileWins()
    {
        DataFixture fixture;
        fixture.dir.writeFile(QStringLiteral("Deutsch.lng"),
            "[Translations]\r\nfrmconfig.LABEL1.caption=Firma:\r\nfrmConfig.cboOS.Items=Windows;Linux\r\n"
            "frmConfig.tabCompany.Caption=Firmendaten\r\n");
        fixture.open();
        fixture.config().language = QStringLiteral("Deutsch");
        {
            EditorWindow window(fixture.config(), fixture.properties(), fixture.dm());
            QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Firma:"));
            QCOMPARE(window.findChild<QTabWidget*>()->tabText(0), QStringLiteral("Firmendaten"));
            QCOMPARE(window.state().items(cboOS), (QStringList {QStringLiteral("Windows"), QStringLiteral("Linux")}));
        }
        fixture.dir.writeFile(QStringLiteral("OS.txt"), "BeOS\r\n\r\nHaiku\r\n");
        EditorWindow window(fixture.config(), fixture.properties(), fixture.dm());
        auto* os = window.findChild<QComboBox*>(QStringLiteral("cboOS"));
        QCOMPARE(os->count(), 3);
        QCOMPARE(os->itemText(2), QStringLiteral("Haiku"));
    }
};

QTEST_MAIN(TestEditorWindow)
#include "TestEditorWindow.moc"
