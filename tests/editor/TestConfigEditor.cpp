#include "ConfigEditor.h"
#include "EditorTestKit.h"
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

// A program directory with two companies, two programs and an opened data
// module, and an editor over it.
class EditorFixture : public OpenedData {
public:
    EditorFixture()
        : OpenedData("[Acme]\r\nCompany=Acme\r\nWebSite=http://127.0.0.1/acme\r\nEMail=info@acme.example\r\n"
                     "City=Springfield\r\n"
                     "[Beta Soft]\r\nCompany=Beta Soft\r\nWebSite=http://127.0.0.1/beta\r\nEMail=hello@beta.example\r\n"
                     "City=Shelbyville\r\n",
            "[Config]\r\nLastCompany=Acme\r\n[LastProgram]\r\nProgramName=Alpha\r\n")
    {
        storeProgram(QStringLiteral("Alpha"), QStringLiteral("1.0"), QStringLiteral("Alpha long text\r\nline two\r\n"));
        storeProgram(QStringLiteral("Beta"), QStringLiteral("2.0"), QString());
        fixture.dm().loadProgram(QStringLiteral("Alpha"));
    }

    void storeProgram(const QString& name, const QString& version, const QString& longText)
    {
        PropertyCatalogue& p = fixture.properties();
        fixture.dm().loadProgram(name);
        p[PropertyCatalogue::ProgramName].setValue(name);
        p[15].setValue(version);
        p[PropertyCatalogue::FileSize].setValue(QStringLiteral("1024"));
        p[PropertyCatalogue::FileDate].setValue(UserDate::toText(QDate(2020, 5, 17)));
        p[PropertyCatalogue::Desc2000].setValue(longText);
        fixture.dm().saveProgram(name);
    }

    QVariantMap record(const QString& name) { return fixture.programRow(name); }
    QString storedVersion(const QString& name) { return record(name).value(QStringLiteral("Version")).toString(); }
    QString storedCity(const QString& company = QStringLiteral("Acme"))
    {
        return IniFile(fixture.dir.file(QStringLiteral("companies.ini")))
            .readString(company, QStringLiteral("City"), QString());
    }

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
            QVERIFY(index >= 0 && index <= PropertyCatalogue::LastProgram && index != PropertyCatalogue::Separator);
            QCOMPARE(info(static_cast<Id>(id)).group == Group::Company, index <= PropertyCatalogue::LastCompany);
        }
    }

    void openingShowsTheCompanyAndTheMainWindowsProgramAndClosingAsksNothing()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        // The main window shows Beta.
        f.fixture.dm().loadProgram(QStringLiteral("Beta"));
        f.editor.open();
        QCOMPARE(f.state.items(cbCompany), (QStringList {QStringLiteral("Acme"), QStringLiteral("Beta Soft")}));
        QCOMPARE(f.state.text(cbCompany), QStringLiteral("Acme"));
        QCOMPARE(f.state.text(edtWebSite), QStringLiteral("http://127.0.0.1/acme"));
        QCOMPARE(f.state.text(edtCity), QStringLiteral("Springfield"));
        QCOMPARE(f.state.items(cboProgramName), (QStringList {QStringLiteral("Alpha"), QStringLiteral("Beta")}));
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Beta"));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("2.0"));
        QCOMPARE(f.state.date(dteFile), QDate(2020, 5, 17));
        QVERIFY(!f.state.companyChanged);
        QVERIFY(!f.state.programChanged);

        f.state.siteEffects = false;
        QVERIFY(f.editor.close());
        QVERIFY(sink.questions.isEmpty());
        QVERIFY(!f.fixture.config().siteEffects);

        // A program the main window shows without a record is not shown.
        EditorFixture gone;
        gone.fixture.properties()[PropertyCatalogue::ProgramName].setValue(QStringLiteral("Gone"));
        gone.editor.open();
        QCOMPARE(gone.state.text(cboProgramName), QString());
        QCOMPARE(gone.state.text(edtVersion), QString());
        QVERIFY(!gone.state.programChanged);
    }

    void changeMarksFollowWhoChangedWhat()
    {
        EditorFixture f;
        f.editor.open();
        f.state.setText(cboLicense, QStringLiteral("Freeware"), Origin::Editor);
        f.state.setDate(dteFile, QDate(2021, 1, 1), Origin::Editor);
        f.state.setText(cboProgramName, QStringLiteral("Beta"), Origin::User);
        QVERIFY(!f.state.programChanged);
        f.state.setText(cboOS, QStringLiteral("Linux"), Origin::User);
        QVERIFY(f.state.programChanged);

        f.state.programChanged = false;
        f.state.setText(edtFileSizeK, QStringLiteral("3"), Origin::Editor);
        QVERIFY(f.state.programChanged);
        f.state.programChanged = false;
        f.state.setDate(dteExpire, QDate(2022, 2, 2), Origin::User);
        QVERIFY(f.state.programChanged);
        f.state.programChanged = false;
        f.state.setLines(memChanges, {QStringLiteral("x")}, Origin::Editor);
        QVERIFY(f.state.programChanged);
        QVERIFY(!f.state.companyChanged);

        // Setting the value already held is no change.
        f.state.setText(edtCity, QStringLiteral("Springfield"), Origin::Editor);
        QVERIFY(!f.state.companyChanged);
        f.state.setText(edtCity, QStringLiteral("Capital City"), Origin::Editor);
        QVERIFY(f.state.companyChanged);
        QVERIFY_THROWS_EXCEPTION(QuilletError, f.state.text(memChanges));
    }

    void pickingCompaniesBackAndForthWithoutEditsAsksNothing()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        const QByteArray companiesBefore = f.fixture.dir.readFile(QStringLiteral("companies.ini"));
        f.editor.open();
        f.editor.selectCompany(QStringLiteral("Beta Soft"));
        QCOMPARE(f.fixture.config().lastCompany, QStringLiteral("Beta Soft"));
        QCOMPARE(f.state.text(edtCity), QStringLiteral("Shelbyville"));
        QCOMPARE(f.fixture.properties()[8].getValue(), QStringLiteral("Shelbyville"));
        f.editor.selectCompany(QStringLiteral("Acme"));
        f.editor.selectCompany(QStringLiteral("Beta Soft"));
        QVERIFY(!f.state.companyChanged);

        // An edit taken back is no edit either.
        f.editor.userChangedText(edtCity, QStringLiteral("Ogdenville"));
        f.editor.userChangedText(edtCity, QStringLiteral("Shelbyville"));
        QVERIFY(f.state.companyChanged);
        f.editor.selectProgram(QStringLiteral("Beta"));
        f.editor.selectProgram(QStringLiteral("Alpha"));

        sink.setNextAnswer(MessageSink::Answer::Yes);
        QVERIFY(f.editor.close());
        QVERIFY(sink.questions.isEmpty());
        QCOMPARE(f.fixture.dir.readFile(QStringLiteral("companies.ini")), companiesBefore);
    }

    void editsAreAskedAboutBeforeTheyAreLeft_data()
    {
        QTest::addColumn<bool>("company");
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("answer");
        using A = MessageSink::Answer;
        const std::pair<const char*, A> answers[] = {{"yes", A::Yes}, {"no", A::No}, {"cancel", A::Cancel}};
        for (const char* step : {"close", "switch", "new program"}) {
            for (const bool company : {true, false}) {
                for (const auto& [word, answer] : answers) {
                    if (!company || step != QLatin1String("new program"))
                        QTest::addRow("%s, %s: %s", company ? "company" : "program", step, word)
                            << company << QString::fromLatin1(step) << int(answer);
                }
            }
        }
    }

    void editsAreAskedAboutBeforeTheyAreLeft()
    {
        QFETCH(bool, company);
        QFETCH(QString, step);
        QFETCH(int, answer);
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.open();
        const Id edited = company ? edtCity : edtVersion;
        f.editor.userChangedText(edited, QStringLiteral("Edited"));
        f.state.siteEffects = false;
        sink.setNextAnswer(MessageSink::Answer(answer));
        bool done = true;
        if (step == QLatin1String("close"))
            done = f.editor.close();
        else if (step == QLatin1String("new program"))
            done = f.editor.settleProgramEdits();
        else if (company)
            f.editor.selectCompany(QStringLiteral("Beta Soft"));
        else
            f.editor.selectProgram(QStringLiteral("Beta"));
        const bool cancelled = answer == int(MessageSink::Answer::Cancel);
        const bool left = step == QLatin1String("switch") && !cancelled;
        QCOMPARE(sink.texts(), QStringList());
        QCOMPARE(sink.questions.size(), 1);
        QCOMPARE(sink.questions.at(0).text, company ? kCompanyQuestion : kProgramQuestion);
        QCOMPARE(done, !cancelled || step == QLatin1String("switch"));
        // Cancel keeps the editor with its edits, unsaved, and skips the later steps;
        // a switch otherwise shows the other's values.
        const QString shown = QLatin1String(company ? (left ? "Beta Soft" : "Acme") : (left ? "Beta" : "Alpha"));
        QCOMPARE(f.state.text(company ? cbCompany : cboProgramName), shown);
        QCOMPARE(company ? f.fixture.config().lastCompany
                         : f.fixture.properties()[PropertyCatalogue::ProgramName].getValue(),
            shown);
        QCOMPARE(f.state.text(edited), left ? QLatin1String(company ? "Shelbyville" : "2.0") : QLatin1String("Edited"));
        QCOMPARE(company ? f.state.companyChanged : f.state.programChanged,
            !left && answer != int(MessageSink::Answer::Yes));
        QCOMPARE(company ? f.storedCity() : f.storedVersion(QStringLiteral("Alpha")),
            answer == int(MessageSink::Answer::Yes) ? QLatin1String("Edited")
                                                    : QLatin1String(company ? "Springfield" : "1.0"));
        if (step == QLatin1String("close"))
            QCOMPARE(f.fixture.config().siteEffects, cancelled);
    }

    void pickingACompanyWithTheSameValuesSetsNoMark()
    {
        EditorFixture f;
        f.fixture.dir.writeFile(QStringLiteral("companies.ini"),
            "[Acme]\r\nCity=Springfield\r\n[Twin]\r\nWebSite=http://127.0.0.1/acme\r\n"
            "EMail=info@acme.example\r\nCity=Springfield\r\n");
        f.editor.open();
        f.editor.selectCompany(QStringLiteral("Twin"));
        QCOMPARE(f.state.text(edtCity), QStringLiteral("Springfield"));
        QVERIFY(!f.state.companyChanged);
    }

    void typedCompanyIsSavedAsTheCurrentCompany()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.open();
        f.editor.selectCompany(QStringLiteral("Gamma"));
        QVERIFY(f.state.companyChanged);
        QCOMPARE(f.state.text(edtCity), QStringLiteral("Springfield")); // nothing loaded for an unknown name
        f.editor.userChangedText(edtCity, QStringLiteral("Ogdenville"));
        f.editor.saveCompany();
        QVERIFY(!f.state.companyChanged);
        QCOMPARE(f.fixture.config().lastCompany, QStringLiteral("Gamma"));
        QCOMPARE(f.fixture.properties()[0].getValue(), QStringLiteral("Gamma"));
        QCOMPARE(f.fixture.properties()[8].getValue(), QStringLiteral("Ogdenville"));
        // Stored at once and listed, so that it can be picked again.
        QCOMPARE(f.state.items(cbCompany),
            (QStringList {QStringLiteral("Acme"), QStringLiteral("Beta Soft"), QStringLiteral("Gamma")}));
        QCOMPARE(f.storedCity(QStringLiteral("Gamma")), QStringLiteral("Ogdenville"));

        f.fixture.config().saveSettings();
        QCOMPARE(IniFile(f.fixture.dir.file(QStringLiteral("companies.ini")))
                     .readString(QStringLiteral("Gamma"), QStringLiteral("City"), QString()),
            QStringLiteral("Ogdenville"));
        QVERIFY(sink.messages.isEmpty());
    }

    void companyNamesThatCannotBeSectionNamesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("bracket") << "Gamma ] Ltd";
        QTest::newRow("line break") << "Gamma\n[Config]";
        QTest::newRow("carriage return and line feed") << "Gamma\r\nLtd";
    }

    void companyNamesThatCannotBeSectionNamesAreRefused()
    {
        QFETCH(QString, name);
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.open();
        f.editor.selectCompany(name);
        f.editor.userChangedText(edtCity, QStringLiteral("Ogdenville"));
        try {
            f.editor.saveCompany();
            QFAIL("the company was saved");
        } catch (const QuilletError& error) {
            QCOMPARE(error.text(), QStringLiteral("A company name cannot contain \"]\" or a line break."));
        }
        // Nothing changed: the current company, its values and the marks.
        QCOMPARE(f.fixture.config().lastCompany, QStringLiteral("Acme"));
        QCOMPARE(f.fixture.properties()[0].getValue(), QStringLiteral("Acme"));
        QCOMPARE(f.fixture.properties()[8].getValue(), QStringLiteral("Springfield"));
        QVERIFY(f.state.companyChanged);
        // Closing asks, and the refused save is reported instead of written.
        QVERIFY(!f.editor.close());
        QCOMPARE(sink.texts(), QStringList {QStringLiteral("A company name cannot contain \"]\" or a line break.")});
        f.fixture.config().saveSettings();
        QStringList companies;
        f.fixture.config().listCompanies(companies);
        QCOMPARE(companies, (QStringList {QStringLiteral("Acme"), QStringLiteral("Beta Soft")}));
        QVERIFY(!f.fixture.dir.readFile(QStringLiteral("companies.ini")).contains("Gamma"));
        QCOMPARE(IniFile(f.fixture.dir.file(QStringLiteral("companies.ini")))
                     .readString(QStringLiteral("Acme"), QStringLiteral("City"), QString()),
            QStringLiteral("Springfield"));
    }

    void blanksAroundACompanyNameAreDropped()
    {
        EditorFixture f;
        f.editor.open();
        f.editor.selectCompany(QStringLiteral("  Gamma "));
        f.editor.saveCompany();
        QCOMPARE(f.fixture.config().lastCompany, QStringLiteral("Gamma"));
        QCOMPARE(f.state.text(cbCompany), QStringLiteral("Gamma"));
        f.fixture.config().saveSettings();
        QStringList companies;
        f.fixture.config().listCompanies(companies);
        QCOMPARE(
            companies, (QStringList {QStringLiteral("Acme"), QStringLiteral("Beta Soft"), QStringLiteral("Gamma")}));
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
        f.editor.open();
        f.editor.selectProgram(QStringLiteral("Beta"));
        QVERIFY(sink.questions.isEmpty());
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("2.0"));
        QVERIFY(!f.state.programChanged);

        f.editor.userChangedText(edtVersion, QStringLiteral("2.1"));
        QVERIFY(f.state.programChanged);
        f.editor.selectProgram(QStringLiteral("Alpha"));
        QCOMPARE(sink.questions.size(), 1);
        QCOMPARE(sink.questions.at(0).text, kProgramQuestion);
        QCOMPARE(f.record(QStringLiteral("Beta")).value(QStringLiteral("Version")).toString(),
            answerYes ? QStringLiteral("2.1") : QStringLiteral("2.0"));
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Alpha"));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("1.0"));
        QCOMPARE(
            f.state.lines(memDesc2000), (QStringList {QStringLiteral("Alpha long text"), QStringLiteral("line two")}));
        QCOMPARE(f.state.date(dteFile), QDate(2020, 5, 17));
        QCOMPARE(f.fixture.properties()[PropertyCatalogue::ProgramName].getValue(), QStringLiteral("Alpha"));
        QVERIFY(!f.state.programChanged);
    }

    void editsBeforeAnyProgramIsShownAreNotStoredUnderTheMainWindowsProgram()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        // The main window shows no program; the catalogue still holds Alpha's values.
        f.fixture.properties()[PropertyCatalogue::ProgramName].setValue(QString());
        f.editor.open();
        f.editor.userChangedText(edtVersion, QStringLiteral("9.9"));
        QVERIFY_THROWS_EXCEPTION(QuilletError, f.editor.selectProgram(QStringLiteral("Beta")));
        QCOMPARE(f.record(QStringLiteral("Alpha")).value(QStringLiteral("Version")).toString(), QStringLiteral("1.0"));
        QCOMPARE(f.state.text(cboProgramName), QString());
        QVERIFY(f.state.programChanged);
        QCOMPARE(f.editor.dm().rowCount(Table::Programs), 2);
    }

    void memosAndDatesConvert()
    {
        EditorFixture f;
        f.editor.open();
        f.editor.selectProgram(QStringLiteral("Alpha"));
        f.editor.userChangedLines(memChanges, {QStringLiteral("one"), QString(), QStringLiteral("three")});
        f.editor.userChangedDate(dteExpire, QDate(2031, 12, 24));
        f.editor.saveProgram();
        const QVariantMap row = f.record(QStringLiteral("Alpha"));
        QCOMPARE(row.value(QStringLiteral("Changes")).toString(), QStringLiteral("one\r\n\r\nthree\r\n"));
        QCOMPARE(row.value(QStringLiteral("ExpireDate")).toString(), QStringLiteral("12/24/2031"));
        QCOMPARE(row.value(QStringLiteral("Desc800")).toString(), QStringLiteral("Alpha long text\r\nline two\r\n"));
    }

    void storedDateThatIsNoDateShowsAsNoDate()
    {
        EditorFixture f;
        PropertyCatalogue& p = f.fixture.properties();
        f.fixture.dm().loadProgram(QStringLiteral("Beta"));
        p[PropertyCatalogue::FileDate].setValue(QStringLiteral("not a date"));
        p[29].setValue(QString());
        p[PropertyCatalogue::Desc2000].setValue(QStringLiteral("after the dates"));
        f.fixture.dm().saveProgram(QStringLiteral("Beta"));

        f.editor.open();
        f.editor.selectProgram(QStringLiteral("Beta"));
        QVERIFY(!f.state.date(dteFile).isValid());
        QVERIFY(!f.state.date(dteExpire).isValid());
        QCOMPARE(f.state.lines(memDesc2000), QStringList {QStringLiteral("after the dates")});
        QVERIFY(!f.state.programChanged);
        f.editor.saveProgram();
        QCOMPARE(f.record(QStringLiteral("Beta")).value(QStringLiteral("VersionDate")).toString(), QString());
    }

    void newProgramClearsTheControlsAndAsksAtClosing()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.open();
        f.editor.selectProgram(QStringLiteral("Alpha"));
        f.state.setText(edtPADPath, QStringLiteral("/pads/alpha.xml"), Origin::User);
        f.state.programChanged = false;

        f.editor.newProgram(QStringLiteral("Foo"));
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Foo"));
        QVERIFY(f.state.items(cboProgramName).contains(QStringLiteral("Foo")));
        QCOMPARE(f.state.text(edtVersion), QString());
        QCOMPARE(f.state.text(edtFileSize), QString());
        QVERIFY(f.state.lines(memDesc2000).isEmpty());
        QCOMPARE(f.state.text(edtPADPath), QStringLiteral("/pads/alpha.xml"));
        QCOMPARE(f.state.date(dteFile), QDate::currentDate());
        QVERIFY(!f.state.date(dteExpire).isValid());
        QCOMPARE(f.fixture.properties()[PropertyCatalogue::ProgramName].getValue(), QStringLiteral("Alpha"));
        QCOMPARE(f.fixture.properties()[15].getValue(), QStringLiteral("1.0"));
        QVERIFY(f.record(QStringLiteral("Foo")).contains(QStringLiteral("ProgramName")));
        QVERIFY(f.state.programChanged);

        QVERIFY(f.editor.close());
        QCOMPARE(sink.questions.size(), 1);
        QCOMPARE(sink.questions.at(0).text, kProgramQuestion);
        const QVariantMap foo = f.record(QStringLiteral("Foo"));
        QCOMPARE(foo.value(QStringLiteral("Version")).toString(), QString());
        QCOMPARE(foo.value(QStringLiteral("VersionDate")).toString(), UserDate::toText(QDate::currentDate()));
        QCOMPARE(foo.value(QStringLiteral("ExpireDate")).toString(), QString());
        QCOMPARE(f.record(QStringLiteral("Alpha")).value(QStringLiteral("Version")).toString(), QStringLiteral("1.0"));
    }

    void newProgramWithAnExistingOrEmptyNameChangesNothing()
    {
        EditorFixture f;
        f.editor.open();
        f.editor.selectProgram(QStringLiteral("Alpha"));
        f.editor.newProgram(QString());
        f.editor.newProgram(QStringLiteral("   "));
        QVERIFY_THROWS_EXCEPTION(QuilletError, f.editor.newProgram(QStringLiteral("Beta")));
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Alpha"));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("1.0"));
        QCOMPARE(f.state.items(cboProgramName), (QStringList {QStringLiteral("Alpha"), QStringLiteral("Beta")}));
        QCOMPARE(f.editor.dm().rowCount(Table::Programs), 2);
    }

    void deletingKeepsTheValuesAndSavingRecreates()
    {
        EditorFixture f;
        f.editor.open();
        f.editor.selectProgram(QStringLiteral("Beta"));
        f.editor.deleteProgram();
        QVERIFY(f.record(QStringLiteral("Beta")).isEmpty());
        QCOMPARE(f.state.items(cboProgramName), QStringList {QStringLiteral("Alpha")});
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Beta"));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("2.0"));
        QCOMPARE(f.fixture.properties()[15].getValue(), QStringLiteral("2.0"));

        f.editor.saveProgram();
        const QVariantMap beta = f.record(QStringLiteral("Beta"));
        QCOMPARE(beta.value(QStringLiteral("Version")).toString(), QStringLiteral("2.0"));
        QCOMPARE(beta.value(QStringLiteral("FileSize")).toInt(), 1024);
    }

    void savingWithoutAProgramNameStoresNothing()
    {
        EditorFixture f;
        f.fixture.properties()[PropertyCatalogue::ProgramName].setValue(QString());
        f.editor.open();
        f.editor.userChangedText(edtVersion, QStringLiteral("5.0"));
        QVERIFY_THROWS_EXCEPTION(QuilletError, f.editor.saveProgram());
        QCOMPARE(f.editor.dm().rowCount(Table::Programs), 2);
        QVERIFY(f.state.programChanged);
        QCOMPARE(f.fixture.properties()[15].getValue(), QStringLiteral("1.0"));
    }

    void saveAllSavesCompanyThenProgram()
    {
        EditorFixture f;
        f.editor.open();
        f.editor.selectProgram(QStringLiteral("Beta"));
        f.editor.userChangedText(edtEMail, QStringLiteral("sales@acme.example"));
        f.editor.userChangedText(edtPrice, QStringLiteral("9.99"));
        f.editor.saveAll();
        QVERIFY(!f.state.companyChanged);
        QVERIFY(!f.state.programChanged);
        QCOMPARE(f.fixture.properties()[2].getValue(), QStringLiteral("sales@acme.example"));
        QCOMPARE(f.record(QStringLiteral("Beta")).value(QStringLiteral("Price")).toString(), QStringLiteral("9.99"));
    }

    void closingReportsAFailedSaveAndSkipsTheLaterSteps()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.open();
        f.editor.selectProgram(QStringLiteral("Beta"));
        f.editor.userChangedText(edtFileSize, QStringLiteral("12 KB"));
        f.state.siteEffects = false;
        QVERIFY(!f.editor.close());
        QCOMPARE(sink.messages.size(), 1);
        QCOMPARE(sink.messages.at(0).text, QStringLiteral("'12 KB' is not a valid integer value"));
        QVERIFY(f.fixture.config().siteEffects);
        QVERIFY(f.state.programChanged);
        QCOMPARE(f.record(QStringLiteral("Beta")).value(QStringLiteral("FileSize")).toInt(), 1024);
    }

    void browsingAFileReadsSizeDateAndName()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.open();
        f.fixture.dir.writeFile(QStringLiteral("dist/setup.zip"), QByteArray(1536000, 'x'));
        const QString path = f.fixture.dir.file(QStringLiteral("dist/setup.zip"));
        const QDateTime modified(QDate(2019, 4, 3), QTime(12, 0));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
        }
        QVERIFY(f.editor.browseFile(path));
        QCOMPARE(f.state.text(edtFileSize), QStringLiteral("1536000"));
        QCOMPARE(f.state.text(edtFileSizeK), QStringLiteral("1500"));
        QCOMPARE(f.state.text(edtFileSizeMB), QStringLiteral("1.46"));
        QCOMPARE(f.state.date(dteFile), QDate(2019, 4, 3));
        QCOMPARE(f.state.text(edtFileName), QStringLiteral("setup.zip"));
        QCOMPARE(f.fixture.config().lastArcPath, f.fixture.dir.file(QStringLiteral("dist/")));
        QVERIFY(f.state.programChanged);
        QVERIFY(sink.messages.isEmpty());
    }

    void browsingAMissingFileChangesNothing()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.editor.open();
        const QString before = f.fixture.config().lastArcPath;
        const QString missing = f.fixture.dir.file(QStringLiteral("gone.zip"));
        QVERIFY(!f.editor.browseFile(missing));
        QCOMPARE(sink.texts(), QStringList {missing + QStringLiteral(" does not exist.")});
        QCOMPARE(f.state.text(edtFileSize), QStringLiteral("1024"));
        QCOMPARE(f.fixture.config().lastArcPath, before);
        QVERIFY(!f.state.programChanged);
    }

    void osListFileReplacesTheOsItems()
    {
        EditorFixture f;
        QCOMPARE(f.state.items(cboOS).size(), 8);
        f.fixture.dir.writeFile(QStringLiteral("OS.txt"), "Windows\r\nLinux\r\n");
        f.editor.open();
        QCOMPARE(f.state.items(cboOS), (QStringList {QStringLiteral("Windows"), QStringLiteral("Linux")}));
    }

    void filesThatAreNoRegularFilesAreRefusedAtOnce()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        TestFifo fifo(f.fixture.dir.file(QStringLiteral("program.zip")));
        QString error;
        QVERIFY(fifo.returnsPromptly([&] {
            try {
                f.editor.browseFile(fifo.path());
            } catch (const QuilletError& e) {
                error = e.text();
            }
        }));
        QCOMPARE(error, fifo.path() + QStringLiteral(" is not a regular file."));
        QCOMPARE(f.state.text(edtFileSize), QString());

        TestFifo osList(f.fixture.dir.file(QStringLiteral("OS.txt")));
        error.clear();
        QVERIFY(osList.returnsPromptly([&] {
            try {
                f.editor.open();
            } catch (const QuilletError& e) {
                error = e.text();
            }
        }));
        QCOMPARE(error, osList.path() + QStringLiteral(" is not a regular file."));
    }

    void padFileChoiceRemembersItsFolder()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.fixture.dir.writeFile(QStringLiteral("pads/tool.xml"), "<x/>");
        QVERIFY(f.editor.acceptPadFile(f.fixture.dir.file(QStringLiteral("pads/tool.xml"))));
        QCOMPARE(f.fixture.config().lastPadPath, f.fixture.dir.file(QStringLiteral("pads/")));
        QVERIFY(!f.editor.acceptPadFile(f.fixture.dir.file(QStringLiteral("pads/none.xml"))));
        QCOMPARE(sink.texts().size(), 1);
        QVERIFY(sink.texts().at(0).endsWith(QStringLiteral("none.xml does not exist.")));
        QCOMPARE(f.fixture.config().lastPadPath, f.fixture.dir.file(QStringLiteral("pads/")));
    }
};

QTEST_GUILESS_MAIN(TestConfigEditor)
#include "TestConfigEditor.moc"
