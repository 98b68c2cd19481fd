#include "ConfigEditor.h"
#include "DataFixture.h"
#include "IniDocument.h"
#include "QuilletError.h"
#include "TestSupport.h"
#include "UserDate.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using namespace EditorControl;
using Origin = EditorState::Origin;

namespace {

const QString kCompanyQuestion = QStringLiteral("Company data has changed, save now?");
const QString kProgramQuestion = QStringLiteral("Program data has changed, save now?");

// Settings files written, then the session and the data module opened.
struct OpenedData {
    OpenedData()
    {
        fixture.dir.writeFile(QStringLiteral("companies.ini"),
            "[Acme]\r\nCompany=Acme\r\nWebSite=http://127.0.0.1/acme\r\nEMail=info@acme.example\r\n"
            "City=Springfield\r\n"
            "[Beta Soft]\r\nCompany=Beta Soft\r\nWebSite=http://127.0.0.1/beta\r\nEMail=hello@beta.example\r\n"
            "City=Shelbyville\r\n");
        fixture.dir.writeFile(
            QStringLiteral("quillet.ini"), "[Config]\r\nLastCompany=Acme\r\n[LastProgram]\r\nProgramName=Alpha\r\n");
        fixture.open();
    }

    DataFixture fixture;
};

// A program directory with two companies, two programs and an opened data
// module, and an editor over it.
class EditorFixture : public OpenedData {
public:
    EditorFixture()
    {
        storeProgram(QStringLiteral("Alpha"), QStringLiteral("1.0"), QStringLiteral("Alpha long text\r\nline two\r\n"));
        storeProgram(QStringLiteral("Beta"), QStringLiteral("2.0"), QString());
        fixture.dm().LoadProgram(QStringLiteral("Alpha"));
    }

    void storeProgram(const QString& name, const QString& version, const QString& longText)
    {
        TProperties& p = fixture.properties();
        fixture.dm().LoadProgram(name);
        p[TProperties::ProgramName].SetValue(name);
        p[15].SetValue(version);
        p[TProperties::FileSize].SetValue(QStringLiteral("1024"));
        p[TProperties::FileDate].SetValue(UserDate::toText(QDate(2020, 5, 17)));
        p[TProperties::Desc2000].SetValue(longText);
        fixture.dm().SaveProgram(name);
    }

    QVariantMap record(const QString& name) { return fixture.programRow(name); }

    EditorState state;
    ConfigEditor editor {state, fixture.config(), fixture.properties(), fixture.dm()};
};

} // namespace

class TestConfigEditor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void controlTableMatchesIds()
    {
        for (int id = 0; id < Count; ++id) {
            QCOMPARE(static_cast<int>(info(static_cast<Id>(id)).id), id);
            const int index = info(static_cast<Id>(id)).catalogueIndex;
            QVERIFY(index >= 0 && index <= TProperties::LastProgram && index != TProperties::Separator);
            QCOMPARE(info(static_cast<Id>(id)).group == Group::Company, index <= TProperties::LastCompany);
        }
    }

    void openingFillsCompanyOnlyAndClosingAsksNothing()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.FormCreate();
        QCOMPARE(f.state.items(cbCompany), (QStringList {QStringLiteral("Acme"), QStringLiteral("Beta Soft")}));
        QCOMPARE(f.state.text(cbCompany), QStringLiteral("Acme"));
        QCOMPARE(f.state.text(edtWebSite), QStringLiteral("http://127.0.0.1/acme"));
        QCOMPARE(f.state.text(edtCity), QStringLiteral("Springfield"));
        QCOMPARE(f.state.items(cboProgramName), (QStringList {QStringLiteral("Alpha"), QStringLiteral("Beta")}));
        QCOMPARE(f.state.text(cboProgramName), QString());
        QCOMPARE(f.state.text(edtVersion), QString());
        QVERIFY(!f.state.CompanyChanged);
        QVERIFY(!f.state.ProgramChanged);

        f.state.SiteEffects = false;
        QVERIFY(f.editor.FormDestroy());
        QVERIFY(sink.questions.isEmpty());
        QVERIFY(!f.fixture.config().SiteEffects);
    }

    void changeMarksFollowWhoChangedWhat()
    {
        EditorFixture f;
        f.editor.FormCreate();
        f.state.setText(cboLicense, QStringLiteral("Freeware"), Origin::Editor);
        f.state.setDate(dteFile, QDate(2021, 1, 1), Origin::Editor);
        f.state.setText(cboProgramName, QStringLiteral("Beta"), Origin::User);
        QVERIFY(!f.state.ProgramChanged);
        f.state.setText(cboOS, QStringLiteral("Linux"), Origin::User);
        QVERIFY(f.state.ProgramChanged);

        f.state.ProgramChanged = false;
        f.state.setText(edtFileSizeK, QStringLiteral("3"), Origin::Editor);
        QVERIFY(f.state.ProgramChanged);
        f.state.ProgramChanged = false;
        f.state.setDate(dteExpire, QDate(2022, 2, 2), Origin::User);
        QVERIFY(f.state.ProgramChanged);
        f.state.ProgramChanged = false;
        f.state.setLines(memChanges, {QStringLiteral("x")}, Origin::Editor);
        QVERIFY(f.state.ProgramChanged);
        QVERIFY(!f.state.CompanyChanged);

        // Setting the value already held is no change.
        f.state.setText(edtCity, QStringLiteral("Springfield"), Origin::Editor);
        QVERIFY(!f.state.CompanyChanged);
        f.state.setText(edtCity, QStringLiteral("Capital City"), Origin::Editor);
        QVERIFY(f.state.CompanyChanged);
        QVERIFY_THROWS_EXCEPTION(QuilletError, f.state.text(memChanges));
    }

    void pickingAnotherCompanyAsksAtClosing()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.FormCreate();
        f.editor.cbCompanyChange(QStringLiteral("Beta Soft"));
        QCOMPARE(f.fixture.config().LastCompany, QStringLiteral("Beta Soft"));
        QCOMPARE(f.state.text(edtCity), QStringLiteral("Shelbyville"));
        QCOMPARE(f.fixture.properties()[8].GetValue(), QStringLiteral("Shelbyville"));
        QVERIFY(f.state.CompanyChanged);

        sink.setNextAnswer(MessageSink::Answer::No);
        QVERIFY(f.editor.FormDestroy());
        QCOMPARE(sink.questions.size(), 1);
        QCOMPARE(sink.questions.at(0).text, kCompanyQuestion);
    }

    void pickingACompanyWithTheSameValuesSetsNoMark()
    {
        EditorFixture f;
        f.fixture.dir.writeFile(QStringLiteral("companies.ini"),
            "[Acme]\r\nCity=Springfield\r\n[Twin]\r\nWebSite=http://127.0.0.1/acme\r\n"
            "EMail=info@acme.example\r\nCity=Springfield\r\n");
        f.editor.FormCreate();
        f.editor.cbCompanyChange(QStringLiteral("Twin"));
        QCOMPARE(f.state.text(edtCity), QStringLiteral("Springfield"));
        QVERIFY(!f.state.CompanyChanged);
    }

    void typedCompanyIsSavedAsTheCurrentCompany()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.FormCreate();
        f.editor.cbCompanyChange(QStringLiteral("Gamma"));
        QVERIFY(f.state.CompanyChanged);
        QCOMPARE(f.state.text(edtCity), QStringLiteral("Springfield")); // nothing loaded for an unknown name
        f.editor.userChangedText(edtCity, QStringLiteral("Ogdenville"));
        f.editor.Savecompany1Click();
        QVERIFY(!f.state.CompanyChanged);
        QCOMPARE(f.fixture.config().LastCompany, QStringLiteral("Gamma"));
        QCOMPARE(f.fixture.properties()[0].GetValue(), QStringLiteral("Gamma"));
        QCOMPARE(f.fixture.properties()[8].GetValue(), QStringLiteral("Ogdenville"));
        QVERIFY(!f.state.items(cbCompany).contains(QStringLiteral("Gamma")));
        QVERIFY(!f.fixture.dir.readFile(QStringLiteral("companies.ini")).contains("Gamma"));

        f.fixture.config().SaveSettings();
        QCOMPARE(IniFile(f.fixture.dir.file(QStringLiteral("companies.ini")))
                     .readString(QStringLiteral("Gamma"), QStringLiteral("City"), QString()),
            QStringLiteral("Ogdenville"));
        QVERIFY(sink.messages.isEmpty());
    }

    void switchingProgramAfterEditsStoresThemUnderTheShownProgram_data()
    {
        QTest::addColumn<bool>("answerYes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }

    void switchingProgramAfterEditsStoresThemUnderTheShownProgram()
    {
        QFETCH(bool, answerYes);
        EditorFixture f;
        RecordingMessageSink sink;
        sink.setNextAnswer(answerYes ? MessageSink::Answer::Yes : MessageSink::Answer::No);
        f.editor.FormCreate();
        f.editor.cboProgramNameChange(QStringLiteral("Beta"));
        QVERIFY(sink.questions.isEmpty());
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("2.0"));
        QVERIFY(!f.state.ProgramChanged);

        f.editor.userChangedText(edtVersion, QStringLiteral("2.1"));
        QVERIFY(f.state.ProgramChanged);
        f.editor.cboProgramNameChange(QStringLiteral("Alpha"));
        QCOMPARE(sink.questions.size(), 1);
        QCOMPARE(sink.questions.at(0).text, kProgramQuestion);
        QCOMPARE(f.record(QStringLiteral("Beta")).value(QStringLiteral("Version")).toString(),
            answerYes ? QStringLiteral("2.1") : QStringLiteral("2.0"));
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Alpha"));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("1.0"));
        QCOMPARE(
            f.state.lines(memDesc2000), (QStringList {QStringLiteral("Alpha long text"), QStringLiteral("line two")}));
        QCOMPARE(f.state.date(dteFile), QDate(2020, 5, 17));
        QCOMPARE(f.fixture.properties()[TProperties::ProgramName].GetValue(), QStringLiteral("Alpha"));
        QVERIFY(!f.state.ProgramChanged);
    }

    void editsBeforeAnyProgramIsShownAreNotStoredUnderTheMainWindowsProgram()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.FormCreate();
        f.editor.userChangedText(edtVersion, QStringLiteral("9.9"));
        QVERIFY_THROWS_EXCEPTION(QuilletError, f.editor.cboProgramNameChange(QStringLiteral("Beta")));
        QCOMPARE(f.record(QStringLiteral("Alpha")).value(QStringLiteral("Version")).toString(), QStringLiteral("1.0"));
        QCOMPARE(f.state.text(cboProgramName), QString());
        QVERIFY(f.state.ProgramChanged);
        QCOMPARE(f.editor.dm().rowCount(Table::Programs), 2);
    }

    void memosAndDatesConvert()
    {
        EditorFixture f;
        f.editor.FormCreate();
        f.editor.cboProgramNameChange(QStringLiteral("Alpha"));
        f.editor.userChangedLines(memChanges, {QStringLiteral("one"), QString(), QStringLiteral("three")});
        f.editor.userChangedDate(dteExpire, QDate(2031, 12, 24));
        f.editor.Saveprogram1Click();
        const QVariantMap row = f.record(QStringLiteral("Alpha"));
        QCOMPARE(row.value(QStringLiteral("Changes")).toString(), QStringLiteral("one\r\n\r\nthree\r\n"));
        QCOMPARE(row.value(QStringLiteral("ExpireDate")).toString(), QStringLiteral("12/24/2031"));
        QCOMPARE(row.value(QStringLiteral("Desc800")).toString(), QStringLiteral("Alpha long text\r\nline two\r\n"));
    }

    void storedDateThatIsNoDateShowsAsNoDate()
    {
        EditorFixture f;
        TProperties& p = f.fixture.properties();
        f.fixture.dm().LoadProgram(QStringLiteral("Beta"));
        p[TProperties::FileDate].SetValue(QStringLiteral("not a date"));
        p[29].SetValue(QString());
        p[TProperties::Desc2000].SetValue(QStringLiteral("after the dates"));
        f.fixture.dm().SaveProgram(QStringLiteral("Beta"));

        f.editor.FormCreate();
        f.editor.cboProgramNameChange(QStringLiteral("Beta"));
        QVERIFY(!f.state.date(dteFile).isValid());
        QVERIFY(!f.state.date(dteExpire).isValid());
        QCOMPARE(f.state.lines(memDesc2000), QStringList {QStringLiteral("after the dates")});
        QVERIFY(!f.state.ProgramChanged);
        f.editor.Saveprogram1Click();
        QCOMPARE(f.record(QStringLiteral("Beta")).value(QStringLiteral("VersionDate")).toString(), QString());
    }

    void newProgramClearsTheControlsAndAsksAtClosing()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.FormCreate();
        f.editor.cboProgramNameChange(QStringLiteral("Alpha"));
        f.state.setText(edtPADPath, QStringLiteral("/pads/alpha.xml"), Origin::User);
        f.state.ProgramChanged = false;

        f.editor.NewProgram1Click(QStringLiteral("Foo"));
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Foo"));
        QVERIFY(f.state.items(cboProgramName).contains(QStringLiteral("Foo")));
        QCOMPARE(f.state.text(edtVersion), QString());
        QCOMPARE(f.state.text(edtFileSize), QString());
        QVERIFY(f.state.lines(memDesc2000).isEmpty());
        QCOMPARE(f.state.text(edtPADPath), QStringLiteral("/pads/alpha.xml"));
        QCOMPARE(f.state.date(dteFile), QDate::currentDate());
        QCOMPARE(f.state.date(dteExpire), QDate::currentDate());
        QCOMPARE(f.fixture.properties()[TProperties::ProgramName].GetValue(), QStringLiteral("Alpha"));
        QCOMPARE(f.fixture.properties()[15].GetValue(), QStringLiteral("1.0"));
        QVERIFY(f.record(QStringLiteral("Foo")).contains(QStringLiteral("ProgramName")));
        QVERIFY(f.state.ProgramChanged);

        QVERIFY(f.editor.FormDestroy());
        QCOMPARE(sink.questions.size(), 1);
        QCOMPARE(sink.questions.at(0).text, kProgramQuestion);
        const QVariantMap foo = f.record(QStringLiteral("Foo"));
        QCOMPARE(foo.value(QStringLiteral("Version")).toString(), QString());
        QCOMPARE(foo.value(QStringLiteral("VersionDate")).toString(), UserDate::toText(QDate::currentDate()));
        QCOMPARE(f.record(QStringLiteral("Alpha")).value(QStringLiteral("Version")).toString(), QStringLiteral("1.0"));
    }

    void newProgramWithAnExistingOrEmptyNameChangesNothing()
    {
        EditorFixture f;
        f.editor.FormCreate();
        f.editor.cboProgramNameChange(QStringLiteral("Alpha"));
        f.editor.NewProgram1Click(QString());
        f.editor.NewProgram1Click(QStringLiteral("   "));
        QVERIFY_THROWS_EXCEPTION(QuilletError, f.editor.NewProgram1Click(QStringLiteral("Beta")));
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Alpha"));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("1.0"));
        QCOMPARE(f.state.items(cboProgramName), (QStringList {QStringLiteral("Alpha"), QStringLiteral("Beta")}));
        QCOMPARE(f.editor.dm().rowCount(Table::Programs), 2);
    }

    void deletingKeepsTheValuesAndSavingRecreates()
    {
        EditorFixture f;
        f.editor.FormCreate();
        f.editor.cboProgramNameChange(QStringLiteral("Beta"));
        f.editor.DeleteProgram1Click();
        QVERIFY(f.record(QStringLiteral("Beta")).isEmpty());
        QCOMPARE(f.state.items(cboProgramName), QStringList {QStringLiteral("Alpha")});
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Beta"));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("2.0"));
        QCOMPARE(f.fixture.properties()[15].GetValue(), QStringLiteral("2.0"));

        f.editor.Saveprogram1Click();
        const QVariantMap beta = f.record(QStringLiteral("Beta"));
        QCOMPARE(beta.value(QStringLiteral("Version")).toString(), QStringLiteral("2.0"));
        QCOMPARE(beta.value(QStringLiteral("FileSize")).toInt(), 1024);
    }

    void savingWithoutAProgramNameStoresNothing()
    {
        EditorFixture f;
        f.editor.FormCreate();
        f.editor.userChangedText(edtVersion, QStringLiteral("5.0"));
        QVERIFY_THROWS_EXCEPTION(QuilletError, f.editor.Saveprogram1Click());
        QCOMPARE(f.editor.dm().rowCount(Table::Programs), 2);
        QVERIFY(f.state.ProgramChanged);
        QCOMPARE(f.fixture.properties()[15].GetValue(), QStringLiteral("1.0"));
    }

    void saveAllSavesCompanyThenProgram()
    {
        EditorFixture f;
        f.editor.FormCreate();
        f.editor.cboProgramNameChange(QStringLiteral("Beta"));
        f.editor.userChangedText(edtEMail, QStringLiteral("sales@acme.example"));
        f.editor.userChangedText(edtPrice, QStringLiteral("9.99"));
        f.editor.Saveall1Click();
        QVERIFY(!f.state.CompanyChanged);
        QVERIFY(!f.state.ProgramChanged);
        QCOMPARE(f.fixture.properties()[2].GetValue(), QStringLiteral("sales@acme.example"));
        QCOMPARE(f.record(QStringLiteral("Beta")).value(QStringLiteral("Price")).toString(), QStringLiteral("9.99"));
    }

    void closingReportsAFailedSaveAndSkipsTheLaterSteps()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.FormCreate();
        f.editor.cboProgramNameChange(QStringLiteral("Beta"));
        f.editor.userChangedText(edtFileSize, QStringLiteral("12 KB"));
        f.state.SiteEffects = false;
        QVERIFY(!f.editor.FormDestroy());
        QCOMPARE(sink.messages.size(), 1);
        QCOMPARE(sink.messages.at(0).text, QStringLiteral("'12 KB' is not a valid integer value"));
        QVERIFY(f.fixture.config().SiteEffects);
        QVERIFY(f.state.ProgramChanged);
        QCOMPARE(f.record(QStringLiteral("Beta")).value(QStringLiteral("FileSize")).toInt(), 1024);
    }

    void browsingAFileReadsSizeDateAndName()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.FormCreate();
        f.fixture.dir.writeFile(QStringLiteral("dist/setup.zip"), QByteArray(1536000, 'x'));
        const QString path = f.fixture.dir.file(QStringLiteral("dist/setup.zip"));
        const QDateTime modified(QDate(2019, 4, 3), QTime(12, 0));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
        }
        QVERIFY(f.editor.btnBrowseFileClick(path));
        QCOMPARE(f.state.text(edtFileSize), QStringLiteral("1536000"));
        QCOMPARE(f.state.text(edtFileSizeK), QStringLiteral("1500"));
        QCOMPARE(f.state.text(edtFileSizeMB), QStringLiteral("1.46"));
        QCOMPARE(f.state.date(dteFile), QDate(2019, 4, 3));
        QCOMPARE(f.state.text(edtFileName), QStringLiteral("setup.zip"));
        QCOMPARE(f.fixture.config().LastArcPath, f.fixture.dir.file(QStringLiteral("dist/")));
        QVERIFY(f.state.ProgramChanged);
        QVERIFY(sink.messages.isEmpty());
    }

    void browsingAMissingFileChangesNothing()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.FormCreate();
        const QString before = f.fixture.config().LastArcPath;
        const QString missing = f.fixture.dir.file(QStringLiteral("gone.zip"));
        QVERIFY(!f.editor.btnBrowseFileClick(missing));
        QCOMPARE(sink.texts(), QStringList {missing + QStringLiteral(" does not exist.")});
        QCOMPARE(f.state.text(edtFileSize), QString());
        QCOMPARE(f.fixture.config().LastArcPath, before);
        QVERIFY(!f.state.ProgramChanged);
    }

    void osListFileReplacesTheOsItems()
    {
        EditorFixture f;
        QCOMPARE(f.state.items(cboOS).size(), 8);
        f.fixture.dir.writeFile(QStringLiteral("OS.txt"), "Windows\r\nLinux\r\n");
        f.editor.FormCreate();
        QCOMPARE(f.state.items(cboOS), (QStringList {QStringLiteral("Windows"), QStringLiteral("Linux")}));
    }

    void padFileChoiceRemembersItsFolder()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.fixture.dir.writeFile(QStringLiteral("pads/tool.xml"), "<x/>");
        QVERIFY(f.editor.acceptPadFile(f.fixture.dir.file(QStringLiteral("pads/tool.xml"))));
        QCOMPARE(f.fixture.config().LastPADPath, f.fixture.dir.file(QStringLiteral("pads/")));
        QVERIFY(!f.editor.acceptPadFile(f.fixture.dir.file(QStringLiteral("pads/none.xml"))));
        QCOMPARE(sink.texts().size(), 1);
        QVERIFY(sink.texts().at(0).endsWith(QStringLiteral("none.xml does not exist.")));
        QCOMPARE(f.fixture.config().LastPADPath, f.fixture.dir.file(QStringLiteral("pads/")));
    }
};

QTEST_GUILESS_MAIN(TestConfigEditor)
#include "TestConfigEditor.moc"
