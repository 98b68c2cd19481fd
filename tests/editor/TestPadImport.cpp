#include "ConfigEditor.h"
#include "EditorTestKit.h"
#include "IniDocument.h"
#include "PadDocument.h"
#include "PadImport.h"
#include "PadImportRunner.h"
#include "TestSupport.h"
#include "UserDate.h"

#include <QFile>
#include <QLocale>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using namespace EditorControl;
using Origin = EditorState::Origin;
using Mode = PadImport::Mode;

namespace {

QString padFixture(const QString& name)
{
    return testDataPath(QStringLiteral("pad/") + name);
}

// An opened program directory with one company and one program, and a
// freshly opened editor over it.
class ImportFixture : public OpenedData {
public:
    ImportFixture()
        : OpenedData(
            "[Acme]\r\nCity=Springfield\r\nContact=Wile E\r\nCountry=USA\r\n", "[Config]\r\nLastCompany=Acme\r\n")
    {
        PropertyCatalogue& p = fixture.properties();
        p[PropertyCatalogue::ProgramName].setValue(QStringLiteral("Existing"));
        p[15].setValue(QStringLiteral("7.0"));
        fixture.dm().saveProgram(QStringLiteral("Existing"));
        editor.open();
    }

    PadImport::Result import(const QString& path, Mode mode) { return PadImport(editor).loadPadFile(path, mode); }

    QVariantMap record(const QString& name) { return fixture.programRow(name); }

    int programCount() { return fixture.dm().rowCount(Table::Programs); }

    EditorState state;
    ConfigEditor editor {state, fixture.config(), fixture.properties(), fixture.dm()};
};

QStringList programNames(const QString& directory)
{
    ProgramSession session(directory);
    session.start();
    SubmissionDatabase dm(session.config(), session.properties());
    dm.open();
    QStringList names;
    dm.loadPrograms(names);
    return names;
}

} // namespace

class TestPadImport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void tagNamesAreNormalisedPerMode_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("program");
        QTest::newRow("upper") << "PROGRAM_OS_SUPPORT"
                               << "program_os_support"
                               << "Program_Os_Support";
        QTest::newRow("lower") << "program_os_support"
                               << "program_os_support"
                               << "Program_Os_Support";
        QTest::newRow("mixed") << "Program_OS_Support"
                               << "program_os_support"
                               << "Program_Os_Support";
        QTest::newRow("digits") << "Char_Desc_45"
                                << "char_desc_45"
                                << "Char_Desc_45";
        QTest::newRow("hyphen") << "x-ML"
                                << "x-ml"
                                << "X-Ml";
    }

    void tagNamesAreNormalisedPerMode()
    {
        QFETCH(QString, tag);
        QFETCH(QString, company);
        QFETCH(QString, program);
        QCOMPARE(PadImport::companyTagName(tag), company);
        QCOMPARE(PadImport::programTagName(tag), program);
    }

    void nestedElementsAreFoundAtAnyDepth()
    {
        ImportFixture f;
        const PadImport::Result result = f.import(padFixture(QStringLiteral("nested.xml")), Mode::Program);
        QCOMPARE(result.error, QString());
        QCOMPARE(result.storeError, QString());
        QVERIFY(result.programStored);
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Nested Tool"));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("2.5"));
        QCOMPARE(f.state.text(edtFileSize), QStringLiteral("1536000"));
        QCOMPARE(f.state.text(edtFileSizeK), QStringLiteral("1500"));
        QCOMPARE(f.state.text(edtFileSizeMB), QStringLiteral("1.46"));
        QCOMPARE(f.state.text(edtFileName), QStringLiteral("nested.zip"));
        QCOMPARE(f.state.text(edtTrialPeriod), QStringLiteral("30"));
        QCOMPARE(f.state.date(dteExpire), QDate(2030, 12, 31));
        QCOMPARE(f.state.text(edtProgUrl), QStringLiteral("http://127.0.0.1/nested"));
        QCOMPARE(
            f.state.lines(memDesc250), (QStringList {QStringLiteral("First line"), QStringLiteral("Second line")}));

        // Stored: catalogue, table and the name box's list.
        QVERIFY(!f.state.programChanged);
        QCOMPARE(f.fixture.properties()[PropertyCatalogue::ProgramName].getValue(), QStringLiteral("Nested Tool"));
        const QVariantMap row = f.record(QStringLiteral("Nested Tool"));
        QCOMPARE(row.value(QStringLiteral("FileSize")).toInt(), 1536000);
        QCOMPARE(row.value(QStringLiteral("ExpireDate")).toString(), QStringLiteral("12/31/2030"));
        QCOMPARE(row.value(QStringLiteral("Desc250")).toString(), QStringLiteral("First line\r\nSecond line\r\n"));
        QCOMPARE(f.state.items(cboProgramName).last(), QStringLiteral("Nested Tool"));
    }

    void englishDescriptionsWinOverOtherLanguages()
    {
        ImportFixture f;
        const PadImport::Result result = f.import(padFixture(QStringLiteral("two-languages.xml")), Mode::Program);
        QCOMPARE(result.error, QString());
        QCOMPARE(f.state.text(edtKeywords), QStringLiteral("fast, small"));
        QCOMPARE(f.state.text(edtDesc45), QStringLiteral("A fast small tool"));
        QCOMPARE(f.state.text(edtDesc80), QStringLiteral("Only the English block has this one"));
        QCOMPARE(f.record(QStringLiteral("Bilingual")).value(QStringLiteral("Desc45")).toString(),
            QStringLiteral("A fast small tool"));
    }

    // English first and German after it: the test above, on its fixture.
    void descriptionBlocksPerLanguage_data()
    {
        QTest::addColumn<QByteArray>("blocks");
        QTest::addColumn<QString>("keywords");
        QTest::addColumn<QString>("desc45");
        const auto row = [](const char* name, const QByteArray& blocks, const char* keywords, const char* desc45) {
            QTest::newRow(name) << blocks << QString(keywords) << QString(desc45);
        };
        const QByteArray english = "<English><Keywords>fast</Keywords><Char_Desc_45>A tool</Char_Desc_45></English>";
        const QByteArray german
            = "<German><Keywords>schnell</Keywords><Char_Desc_45>Ein Werkzeug</Char_Desc_45></German>";
        row("English last", german + english, "fast", "A tool");
        row("upper-case tags", QByteArray(german + english).toUpper(), "FAST", "A TOOL");
        row("two without English: the later",
            german + "<French><Keywords>rapide</Keywords><Char_Desc_45>Un outil</Char_Desc_45></French>", "rapide",
            "Un outil");
    }

    void descriptionBlocksPerLanguage()
    {
        QFETCH(QByteArray, blocks);
        QFETCH(QString, keywords);
        QFETCH(QString, desc45);
        ImportFixture f;
        f.fixture.dir.writeFile(QStringLiteral("blocks.xml"),
            "<XML_DIZ_INFO><Program_Info><Program_Name>Blocks</Program_Name></Program_Info><Program_Descriptions>"
                + blocks + "</Program_Descriptions></XML_DIZ_INFO>");
        QCOMPARE(f.import(f.fixture.dir.file(QStringLiteral("blocks.xml")), Mode::Program).error, QString());
        QCOMPARE(f.state.text(edtKeywords), keywords);
        QCOMPARE(f.state.text(edtDesc45), desc45);
    }

    void emptyElementsNeverOverwriteValuesReadEarlier()
    {
        ImportFixture f;
        f.fixture.dir.writeFile(QStringLiteral("later-empty.xml"),
            "<XML_DIZ_INFO><Program_Info><Program_Name>Later Empty</Program_Name>"
            "<Program_Type>Freeware</Program_Type>"
            "<Program_Release_Year>2004</Program_Release_Year><Program_Release_Month>3</Program_Release_Month>"
            "<Program_Release_Day>7</Program_Release_Day><File_Size_Bytes>2048</File_Size_Bytes></Program_Info>"
            "<Again><Program_Name></Program_Name><Trial_License_Type/>"
            "<Program_Release_Day></Program_Release_Day><File_Size_Bytes/><Program_Cost_Dollars/></Again>"
            "</XML_DIZ_INFO>");
        f.state.setText(edtPrice, QStringLiteral("before the import"), Origin::Editor);
        f.editor.markProgramStored();
        const PadImport::Result result = f.import(f.fixture.dir.file(QStringLiteral("later-empty.xml")), Mode::Program);
        QCOMPARE(result.error, QString());
        QCOMPARE(result.programName, QStringLiteral("Later Empty"));
        QCOMPARE(f.state.text(cboLicense), QStringLiteral("Freeware"));
        QCOMPARE(f.state.date(dteFile), QDate(2004, 3, 7));
        QCOMPARE(f.state.text(edtFileSize), QStringLiteral("2048"));
        QCOMPARE(f.state.text(edtFileSizeK), QStringLiteral("2"));
        // The program mode clears first: an empty price stays empty.
        QCOMPARE(f.state.text(edtPrice), QString());

        // In company mode too; an empty element still empties a value held before the import.
        f.fixture.dir.writeFile(QStringLiteral("company-twice.xml"),
            "<XML_DIZ_INFO><Company_Info><Company_Name>Doe Software</Company_Name><City_Town/>"
            "<Contact_Info><Contact_First_Name>Jane</Contact_First_Name><Contact_Last_Name/></Contact_Info>"
            "</Company_Info><Company_Info><Company_Name></Company_Name></Company_Info></XML_DIZ_INFO>");
        f.import(f.fixture.dir.file(QStringLiteral("company-twice.xml")), Mode::Company);
        QCOMPARE(f.state.text(cbCompany), QStringLiteral("Doe Software"));
        QCOMPARE(f.state.text(edtCity), QString());
        QCOMPARE(f.state.text(edtContact), QStringLiteral("Jane"));
    }

    void datesTheFileDoesNotGiveStayEmpty_data()
    {
        QTest::addColumn<QByteArray>("dates");
        QTest::addColumn<QDate>("released");
        QTest::addColumn<QDate>("expires");
        const auto row = [](const char* name, const QByteArray& dates, QDate released, QDate expires) {
            QTest::newRow(name) << dates << released << expires;
        };
        row("none", QByteArray(), QDate(), QDate());
        row("empty parts",
            "<Program_Release_Year></Program_Release_Year><Program_Release_Month/><Program_Release_Day/><Expire_Year/>"
            "<Expire_Month/><Expire_Day/>",
            QDate(), QDate());
        row("expiry without a day", "<Expire_Year>2030</Expire_Year><Expire_Month>1</Expire_Month>", QDate(), QDate());
        // A month and day with a leading zero beside those without.
        row("both",
            "<Program_Release_Year>2004</Program_Release_Year><Program_Release_Month>03</Program_Release_Month>"
            "<Program_Release_Day>07</Program_Release_Day><Expire_Year>2030</Expire_Year><Expire_Month>12</"
            "Expire_Month>"
            "<Expire_Day>31</Expire_Day>",
            QDate(2004, 3, 7), QDate(2030, 12, 31));
    }

    void datesTheFileDoesNotGiveStayEmpty()
    {
        QFETCH(QByteArray, dates);
        QFETCH(QDate, released);
        QFETCH(QDate, expires);
        ImportFixture f;
        // The program shown had dates of its own.
        f.state.setDate(dteFile, QDate(2001, 1, 1), Origin::Editor);
        f.state.setDate(dteExpire, QDate(2002, 2, 2), Origin::Editor);
        f.editor.markProgramStored();
        f.fixture.dir.writeFile(QStringLiteral("dates.xml"),
            "<XML_DIZ_INFO><Program_Info><Program_Name>Dates</Program_Name>" + dates
                + "</Program_Info></XML_DIZ_INFO>");
        QCOMPARE(f.import(f.fixture.dir.file(QStringLiteral("dates.xml")), Mode::Program).error, QString());
        QCOMPARE(f.state.date(dteFile), released);
        QCOMPARE(f.state.date(dteExpire), expires);
        const QVariantMap row = f.record(QStringLiteral("Dates"));
        QCOMPARE(row.value(QStringLiteral("VersionDate")).toString(), UserDate::toText(released));
        QCOMPARE(row.value(QStringLiteral("ExpireDate")).toString(), UserDate::toText(expires));
    }

    void importOverUnsavedEditsAsksFirst_data()
    {
        QTest::addColumn<bool>("company");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("imported");
        QTest::addColumn<bool>("editStored");
        const auto yes = int(MessageSink::Answer::Yes);
        const auto no = int(MessageSink::Answer::No);
        const auto cancel = int(MessageSink::Answer::Cancel);
        // Each mode's question, once going on and once stopping; what Yes and
        // No do to the edits is the editor's own test.
        QTest::newRow("program yes") << false << yes << true << true;
        QTest::newRow("program cancel") << false << cancel << false << false;
        QTest::newRow("company no") << true << no << true << false;
        QTest::newRow("company cancel") << true << cancel << false << false;
    }

    void importOverUnsavedEditsAsksFirst()
    {
        QFETCH(bool, company);
        QFETCH(int, answer);
        QFETCH(bool, imported);
        QFETCH(bool, editStored);
        ImportFixture f;
        RecordingMessageSink sink;
        sink.setNextAnswer(MessageSink::Answer(answer));
        const Id edited = company ? edtTelNo : edtPrice;
        f.editor.userChangedText(edited, QStringLiteral("typed"));
        const PadImport::Result result
            = f.import(padFixture(QStringLiteral("company-and-program.xml")), company ? Mode::Company : Mode::Program);
        QCOMPARE(sink.questions.size(), 1);
        QCOMPARE(sink.questions.at(0).text,
            company ? QStringLiteral("Company data has changed, save now?")
                    : QStringLiteral("Program data has changed, save now?"));
        QCOMPARE(result.cancelled, !imported);
        QCOMPARE(f.state.text(edited),
            imported ? (company ? QStringLiteral("555-0100") : QStringLiteral("19.95")) : QStringLiteral("typed"));
        const QString stored = company ? IniFile(f.fixture.dir.file(QStringLiteral("companies.ini")))
                                             .readString(QStringLiteral("Acme"), QStringLiteral("TelNo"), QString())
                                       : f.record(QStringLiteral("Existing")).value(QStringLiteral("Price")).toString();
        QCOMPARE(stored == QLatin1String("typed"), editStored);
        QCOMPARE(f.record(QStringLiteral("Doe Editor")).isEmpty(), company || !imported);
    }

    void failedImportLeavesTheEditorAsItWas_data()
    {
        QTest::addColumn<QString>("file");
        // The two places that give the state back; an error in a company
        // import takes the first, as the test of its own shows.
        QTest::newRow("size with separators") << "size-with-separators.xml";
        QTest::newRow("no program name") << "no-program-name.xml";
    }

    void failedImportLeavesTheEditorAsItWas()
    {
        QFETCH(QString, file);
        ImportFixture f;
        RecordingMessageSink sink;

        // Unsaved edits, kept through the question's No.
        f.editor.userChangedText(edtVersion, QStringLiteral("7.1 unsaved"));
        f.editor.userChangedText(edtCity, QStringLiteral("Ogdenville"));
        f.editor.userChangedLines(memLimitations, {QStringLiteral("one"), QStringLiteral("two")});
        sink.setNextAnswer(MessageSink::Answer::No);
        const EditorState::Values before = f.state.values();
        const QVariantMap recordBefore = f.record(QStringLiteral("Existing"));
        const PadImport::Result result = f.import(padFixture(file), Mode::Program);
        QVERIFY(!result.error.isEmpty() || !result.storeError.isEmpty());
        QVERIFY(!result.programStored);

        const EditorState::Values after = f.state.values();
        QVERIFY(after.texts == before.texts && after.lines == before.lines);
        QVERIFY(after.dates == before.dates && after.items == before.items);
        QCOMPARE(after.programChanged, before.programChanged);
        QCOMPARE(after.companyChanged, before.companyChanged);
        QCOMPARE(f.record(QStringLiteral("Existing")), recordBefore);
        QCOMPARE(f.programCount(), 1);

        // Picking a program afterwards asks about the user's own edits only.
        const qsizetype asked = sink.questions.size();
        sink.setNextAnswer(MessageSink::Answer::Yes);
        f.editor.selectProgram(QStringLiteral("Existing"));
        QCOMPARE(sink.questions.size(), asked + 1);
        QCOMPARE(sink.messages.size(), 0);
        QCOMPARE(f.record(QStringLiteral("Existing")).value(QStringLiteral("Version")).toString(),
            QStringLiteral("7.1 unsaved"));
    }

    void releaseDateIsReadYearMonthDayInAnyLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString formatBefore = QLocale().dateFormat(QLocale::ShortFormat);
        ImportFixture f;
        const PadImport::Result result = f.import(padFixture(QStringLiteral("release-2004-3-7.xml")), Mode::Program);
        QCOMPARE(result.error, QString());
        QCOMPARE(f.state.date(dteFile), QDate(2004, 3, 7));
        QCOMPARE(f.record(QStringLiteral("Dated")).value(QStringLiteral("VersionDate")).toString(),
            QStringLiteral("07.03.2004"));
        QCOMPARE(QLocale().dateFormat(QLocale::ShortFormat), formatBefore);
    }

    void releaseDateWithoutDayStaysEmpty()
    {
        ImportFixture f;
        f.state.setDate(dteFile, QDate(2001, 1, 1), Origin::Editor);
        f.editor.markProgramStored();
        const PadImport::Result result = f.import(padFixture(QStringLiteral("release-no-day.xml")), Mode::Program);
        QCOMPARE(result.error, QString());
        QVERIFY(!f.state.date(dteFile).isValid());
        QCOMPARE(f.record(QStringLiteral("Undated")).value(QStringLiteral("VersionDate")).toString(), QString());
        QCOMPARE(f.state.releaseYear, QStringLiteral("2004"));
        QCOMPARE(f.state.releaseDay, QString());
    }

    void sizeWithSeparatorsStopsTheWalk()
    {
        ImportFixture f;
        const PadImport::Result result
            = f.import(padFixture(QStringLiteral("size-with-separators.xml")), Mode::Program);
        QCOMPARE(result.error, QStringLiteral("'1,536,000' is not a valid integer value"));

        // Nothing is stored; the editor shows the program it showed before.
        QVERIFY(!result.programStored);
        QVERIFY(f.record(QStringLiteral("Grouped Size")).isEmpty());
        QVERIFY(!f.state.items(cboProgramName).contains(QStringLiteral("Grouped Size")));
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Existing"));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("7.0"));
        QCOMPARE(f.state.text(edtFileSize), QString());
        QVERIFY(!f.state.programChanged);
    }

    void stoppedImportLeavesAnExistingProgramAlone()
    {
        ImportFixture f;
        PropertyCatalogue& p = f.fixture.properties();
        const auto entry = [&p](const char* fieldName) -> CatalogueEntry& {
            for (int i = PropertyCatalogue::FirstProgram; i < PropertyCatalogue::Count; ++i) {
                if (p[i].fieldName == QLatin1String(fieldName))
                    return p[i];
            }
            qFatal("no catalogue entry %s", fieldName);
        };
        p[PropertyCatalogue::ProgramName].setValue(QStringLiteral("Grouped Size"));
        for (int i = PropertyCatalogue::ProgramName + 1; i < PropertyCatalogue::Count; ++i)
            p[i].setValue(QString());
        entry("Keywords").setValue(QStringLiteral("notes, outliner"));
        entry("FileSize").setValue(QStringLiteral("2048"));
        entry("ProgramUrl").setValue(QStringLiteral("http://127.0.0.1/grouped"));
        f.fixture.dm().saveProgram(QStringLiteral("Grouped Size"));
        const QVariantMap before = f.record(QStringLiteral("Grouped Size"));
        QCOMPARE(before.value(QStringLiteral("Keywords")).toString(), QStringLiteral("notes, outliner"));

        const PadImport::Result result
            = f.import(padFixture(QStringLiteral("size-with-separators.xml")), Mode::Program);
        QVERIFY(!result.error.isEmpty());
        QVERIFY(!result.programStored);
        QCOMPARE(f.record(QStringLiteral("Grouped Size")), before);
        // The catalogue still holds the stored program, not the half import.
        QCOMPARE(entry("Keywords").getValue(), QStringLiteral("notes, outliner"));
        QVERIFY(!f.state.programChanged);
    }

    void impossibleDateStopsTheWalk()
    {
        ImportFixture f;
        const PadImport::Result result = f.import(padFixture(QStringLiteral("impossible-date.xml")), Mode::Program);
        QCOMPARE(result.error, QStringLiteral("'2003-2-29' is not a valid date"));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("7.0"));
        QVERIFY(!f.state.date(dteFile).isValid());
        QVERIFY(!result.programStored);
        QVERIFY(f.record(QStringLiteral("Leap")).isEmpty());
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Existing"));
    }

    void failedCompanyImportChangesNothing()
    {
        ImportFixture f;
        const QByteArray before = f.fixture.dir.readFile(QStringLiteral("companies.ini"));
        const QString programBefore = f.state.text(cboProgramName);
        const int programsBefore = f.programCount();
        f.fixture.dir.writeFile(QStringLiteral("broken.xml"),
            "<XML_DIZ_INFO><Company_Info><Company_Name>Half Read</Company_Name>"
            "<City_Town>Springfield</City_Town></Company_Info><Broken></XML_DIZ_INFO>");
        const PadImport::Result result = f.import(f.fixture.dir.file(QStringLiteral("broken.xml")), Mode::Company);
        QVERIFY(result.error.contains(QStringLiteral("not well-formed")));
        QVERIFY(!result.programStored);
        QCOMPARE(result.storeError, QString());
        QCOMPARE(f.state.text(cbCompany), QStringLiteral("Acme"));
        QVERIFY(!f.state.companyChanged);
        QCOMPARE(f.state.text(cboProgramName), programBefore);
        QCOMPARE(f.programCount(), programsBefore);
        QCOMPARE(f.fixture.dir.readFile(QStringLiteral("companies.ini")), before);
        QCOMPARE(f.fixture.config().lastCompany, QStringLiteral("Acme"));
    }

    void lineBreaksInTheCompanyNameBecomeBlanks()
    {
        ImportFixture f;
        f.fixture.dir.writeFile(QStringLiteral("company.xml"),
            "<XML_DIZ_INFO><Company_Info><Company_Name>Doe\r\nSoftware&#10;Ltd&#13;UK</Company_Name>"
            "<Address_1>Line one&#10;Line two</Address_1></Company_Info></XML_DIZ_INFO>");
        const PadImport::Result result = f.import(f.fixture.dir.file(QStringLiteral("company.xml")), Mode::Company);
        QCOMPARE(result.error, QString());
        QCOMPARE(f.state.text(cbCompany), QStringLiteral("Doe Software Ltd UK"));
        // Other company details are values, whose line breaks the settings store handles.
        QCOMPARE(f.state.text(edtAddr1), QStringLiteral("Line one\nLine two"));
        f.editor.saveCompanyData();
        f.fixture.config().saveSettings();
        QStringList companies;
        f.fixture.config().listCompanies(companies);
        QCOMPARE(companies, QStringList({QStringLiteral("Acme"), QStringLiteral("Doe Software Ltd UK")}));
    }

    void companyModeReadsOnlyCompanyDetails()
    {
        ImportFixture f;
        f.editor.selectProgram(QStringLiteral("Existing"));
        const int programsBefore = f.programCount();
        const PadImport::Result result = f.import(padFixture(QStringLiteral("company-and-program.xml")), Mode::Company);
        QCOMPARE(result.error, QString());
        QCOMPARE(f.state.text(cbCompany), QStringLiteral("Doe Software"));
        QCOMPARE(f.state.text(edtAddr1), QStringLiteral("1 Main Street"));
        QCOMPARE(f.state.text(edtAddr2), QStringLiteral("Suite 2"));
        QCOMPARE(f.state.text(edtCity), QStringLiteral("Springfield"));
        QCOMPARE(f.state.text(edtState), QStringLiteral("IL"));
        QCOMPARE(f.state.text(edtPostal), QStringLiteral("62701"));
        QCOMPARE(f.state.text(edtCountry), QStringLiteral("USA"));
        QCOMPARE(f.state.text(edtWebSite), QStringLiteral("http://127.0.0.1/doe"));
        QCOMPARE(f.state.text(edtContact), QStringLiteral("Jane Doe"));
        QCOMPARE(f.state.text(edtContactEMail), QStringLiteral("jane@doe.example"));
        QCOMPARE(f.state.text(edtEMail), QStringLiteral("info@doe.example"));
        QCOMPARE(f.state.text(edtTelNo), QStringLiteral("555-0100"));
        QCOMPARE(f.state.text(edtLinks), QString());
        QVERIFY(f.state.companyChanged);
        // Only the controls change; the company reaches the catalogue when saved.
        QCOMPARE(f.fixture.properties()[0].getValue(), QStringLiteral("Acme"));
        QCOMPARE(f.fixture.properties()[3].getValue(), QStringLiteral("Wile E"));

        // The program shown is untouched and not stored.
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Existing"));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("7.0"));
        QCOMPARE(f.state.text(edtPrice), QString());
        QVERIFY(!result.programStored);
        QCOMPARE(f.programCount(), programsBefore);
    }

    void programModeReadsOnlyProgramDetails()
    {
        ImportFixture f;
        f.state.setText(edtPADPath, QStringLiteral("/pads/doe.xml"), Origin::User);
        f.state.setLines(memLimitations, {QStringLiteral("kept?")}, Origin::User);
        const PadImport::Result result = f.import(padFixture(QStringLiteral("company-and-program.xml")), Mode::Program);
        QCOMPARE(result.error, QString());
        QCOMPARE(f.state.text(cbCompany), QStringLiteral("Acme"));
        QCOMPARE(f.state.text(edtContact), QStringLiteral("Wile E"));
        QVERIFY(!f.state.companyChanged);

        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Doe Editor"));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("3.1"));
        QCOMPARE(f.state.text(cboLicense), QStringLiteral("Time-limited trial"));
        QCOMPARE(f.state.text(edtPrice), QStringLiteral("19.95"));
        QCOMPARE(f.state.text(cboOS), QStringLiteral("Linux"));
        QCOMPARE(f.state.text(cboInstall), QStringLiteral("Install and Uninstall"));
        QCOMPARE(
            f.state.lines(memChanges), (QStringList {QStringLiteral("Faster start"), QStringLiteral("Fewer bugs")}));
        QCOMPARE(f.state.lines(memSysReq), QStringList {QStringLiteral("64 MB")});
        QCOMPARE(f.state.text(edtTrialPeriod), QStringLiteral("30"));
        QCOMPARE(f.state.text(edtProgUrl), QStringLiteral("http://127.0.0.1/doe/editor"));
        QCOMPARE(f.state.text(edtPurchaseUrl), QStringLiteral("http://127.0.0.1/doe/buy"));
        QCOMPARE(f.state.text(edtScreenUrl), QStringLiteral("http://127.0.0.1/doe/shot.png"));
        QCOMPARE(f.state.text(edtIconUrl), QStringLiteral("http://127.0.0.1/doe/icon.png"));
        QCOMPARE(f.state.text(edtPADUrl), QStringLiteral("http://127.0.0.1/doe/pad.xml"));
        QCOMPARE(f.state.text(edtDLUrl1), QStringLiteral("http://127.0.0.1/doe/1.zip"));
        QCOMPARE(f.state.text(edtDLUrl2), QStringLiteral("http://127.0.0.1/doe/2.zip"));
        QCOMPARE(f.state.text(edtDLUrl3), QStringLiteral("http://127.0.0.1/doe/3.zip"));
        QCOMPARE(f.state.text(edtDLUrl4), QStringLiteral("http://127.0.0.1/doe/4.zip"));
        // Cleared by the import and never read from a PAD file; the PAD path stays.
        QVERIFY(f.state.lines(memLimitations).isEmpty());
        QCOMPARE(f.state.text(edtPADPath), QStringLiteral("/pads/doe.xml"));
        QCOMPARE(f.record(QStringLiteral("Doe Editor")).value(QStringLiteral("PADPath")).toString(),
            QStringLiteral("/pads/doe.xml"));
    }

    void lastNameAloneIsAppendedToTheContact()
    {
        ImportFixture f;
        QCOMPARE(f.state.text(edtContact), QStringLiteral("Wile E"));
        f.import(padFixture(QStringLiteral("last-name-only.xml")), Mode::Company);
        QCOMPARE(f.state.text(edtContact), QStringLiteral("Wile E Doe"));
    }

    void tagNamesMatchInAnyCase()
    {
        ImportFixture f;
        PadImport::Result result = f.import(padFixture(QStringLiteral("tag-case.xml")), Mode::Program);
        QCOMPARE(result.error, QString());
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Loud Name"));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("0.9"));
        QCOMPARE(f.state.text(cboOS), QStringLiteral("Windows 95/98"));

        result = f.import(padFixture(QStringLiteral("tag-case.xml")), Mode::Company);
        QCOMPARE(f.state.text(cbCompany), QStringLiteral("Loud Company"));
        QCOMPARE(f.state.text(edtCity), QStringLiteral("Quiet Town"));
    }

    void malformedFileIsReportedWithItsPosition()
    {
        ImportFixture f;
        RecordingMessageSink sink;
        sink.setNextAnswer(MessageSink::Answer::No);
        f.state.setText(edtVersion, QStringLiteral("old"), Origin::User);
        const int before = f.programCount();
        const PadImport::Result result = f.import(padFixture(QStringLiteral("malformed.xml")), Mode::Program);
        QVERIFY2(result.error.contains(QStringLiteral("not well-formed")), qPrintable(result.error));
        QVERIFY2(result.error.contains(QStringLiteral("line 5,")), qPrintable(result.error));
        QVERIFY(result.error.contains(QStringLiteral("malformed.xml")));
        // Nothing was applied and nothing is stored: the one message is the error.
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("old"));
        QCOMPARE(result.storeError, QString());
        QVERIFY(!result.programStored);
        QCOMPARE(f.programCount(), before);

        PadImport::report(result);
        QCOMPARE(sink.texts(), (QStringList {result.error}));
    }

    void fileWithoutProgramNameStoresNothing()
    {
        ImportFixture f;
        const int before = f.programCount();
        const QStringList listBefore = f.state.items(cboProgramName);
        const PadImport::Result result = f.import(padFixture(QStringLiteral("no-program-name.xml")), Mode::Program);
        QCOMPARE(result.error, QString());
        QCOMPARE(result.storeError, QStringLiteral("The PAD file names no program."));
        QCOMPARE(f.state.text(edtVersion), QStringLiteral("7.0"));
        QCOMPARE(f.programCount(), before);
        QCOMPARE(f.state.items(cboProgramName), listBefore);
    }

    void missingFileIsALoadError()
    {
        ImportFixture f;
        const PadImport::Result result = f.import(padFixture(QStringLiteral("no-such-file.xml")), Mode::Program);
        QVERIFY(result.error.contains(QStringLiteral("no-such-file.xml")));
        QVERIFY(!result.programStored);
    }

    void declaredSingleByteEncodingIsDecoded()
    {
        ImportFixture f;
        const PadImport::Result result = f.import(padFixture(QStringLiteral("windows-1252.xml")), Mode::Program);
        QCOMPARE(result.error, QString());
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Caf\u00e9 \u20ac Tool"));
    }

    void instructionNamedLikeADeclarationDeclaresNothing()
    {
        // "<?xmlfoo ... encoding=...?>" is a processing instruction, not the
        // XML declaration: the UTF-8 text is read as UTF-8.
        ImportFixture f;
        f.fixture.dir.writeFile(QStringLiteral("odd.xml"),
            "<?xmlfoo version=\"1.0\" encoding=\"windows-1252\"?><XML_DIZ_INFO><Program_Info>"
            "<Program_Name>Caf\xc3\xa9 Tool</Program_Name></Program_Info></XML_DIZ_INFO>");
        const PadImport::Result result = f.import(f.fixture.dir.file(QStringLiteral("odd.xml")), Mode::Program);
        QCOMPARE(result.error, QString());
        QCOMPARE(f.state.text(cboProgramName), QStringLiteral("Caf\u00e9 Tool"));
    }

    void unknownEncodingIsRefused()
    {
        QVERIFY_THROWS_EXCEPTION(QuilletError,
            PadDocument::parse("<?xml version=\"1.0\" encoding=\"x-no-such-charset\"?><a/>", QStringLiteral("f.xml")));
    }

    void externalEntitiesAreNeverRead()
    {
        TestProgramDirectory dir;
        dir.writeFile(QStringLiteral("secret.txt"), "TOPSECRET");
        const QByteArray xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE XML_DIZ_INFO [\n<!ENTITY secret SYSTEM \"file://"
            + dir.file(QStringLiteral("secret.txt")).toUtf8()
            + "\">\n]>\n<XML_DIZ_INFO><Program_Name>E</Program_Name><Program_Version>&secret;</Program_Version>"
              "</XML_DIZ_INFO>\n";
        try {
            const PadDocument document = PadDocument::parse(xml, QStringLiteral("entity.xml"));
            QCOMPARE(document.root().children.size(), size_t(2));
            QVERIFY(!document.root().children.at(1).text.contains(QStringLiteral("TOPSECRET")));
            QVERIFY(!document.root().text.contains(QStringLiteral("TOPSECRET")));
        } catch (const QuilletError& error) {
            QVERIFY(!error.text().contains(QStringLiteral("TOPSECRET")));
        }
    }

    void nestingIsLimited()
    {
        QByteArray xml;
        for (int i = 0; i < PadDocument::MaxDepth + 1; ++i)
            xml += "<a>";
        for (int i = 0; i < PadDocument::MaxDepth + 1; ++i)
            xml += "</a>";
        QVERIFY_THROWS_EXCEPTION(QuilletError, PadDocument::parse(xml));
    }

    void realPadFilesImport_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("sizeMB");
        QTest::addColumn<QDate>("released");
        QTest::addColumn<QString>("desc45");

        QTest::newRow("01 windows-1252") << "01-pad1.15-windows1252-simtel.xml"
                                         << "Burn to the Brim"
                                         << "2.8.1"
                                         << "1328001"
                                         << "1.27" << QDate(2003, 7, 7)
                                         << "Utility to optimally fit files/folders on CD.";
        QTest::newRow("02 empty size, empty second language")
            << "02-pad1.00-iso8859-1-crlf-unpadded-date-empty-german.xml"
            << "DoxBox"
            << "6.0.0.0"
            << ""
            << "" << QDate(2014, 8, 1) << "";
        QTest::newRow("03 one line") << "03-pad2.02-single-line-no-whitespace.xml"
                                     << "GISLook & GISMeta"
                                     << "1.0.2"
                                     << "217749"
                                     << "0.21" << QDate(2011, 4, 7) << "Plugins to show GIS data in the Finder.";
        QTest::newRow("04 BOM, two languages") << "04-pad3.10-utf8-bom-multilang-en-de.xml"
                                               << "DVDStyler"
                                               << "3.0.3"
                                               << "45000000"
                                               << "42.92" << QDate(2017, 1, 1) << "Free DVD authoring application.";
        QTest::newRow("05 no encoding") << "05-pad3.11-uppercase-company-contact-tags.xml"
                                        << "digiCamControl"
                                        << "1.0.0"
                                        << ""
                                        << "" << QDate(2013, 5, 6) << "A DSLR camera remote control software";
        QTest::newRow("06 upper-case web tags")
            << "06-pad3.11-crlf-uppercase-webinfo-download-tags.xml"
            << "d-jon"
            << "1.1.201011110"
            << "14778976"
            << "14.09" << QDate(2010, 11, 11) << "Project manager with real time tracking";
        QTest::newRow("07 empty date") << "07-pad3.11-empty-release-date-program-description-typo.xml"
                                       << "getxbook"
                                       << "1.0"
                                       << ""
                                       << "" << QDate() << "A collection of tools to download books";
        QTest::newRow("08 flat contact") << "08-pad4.0-handcoded-flat-contact.xml"
                                         << "SID Jukebox"
                                         << "1.0"
                                         << "4194304"
                                         << "4.00" << QDate(2026, 5, 27) << "Commodore 64 SID music player for macOS";
    }

    void realPadFilesImport()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QFETCH(QString, version);
        QFETCH(QString, size);
        QFETCH(QString, sizeMB);
        QFETCH(QDate, released);
        QFETCH(QString, desc45);
        QVERIFY2(QFile::exists(padSample(file)), qPrintable(padSample(file)));

        ImportFixture f;
        const PadImport::Result result = f.import(padSample(file), Mode::Program);
        QCOMPARE(result.error, QString());
        QCOMPARE(result.storeError, QString());
        QCOMPARE(result.programName, name);
        QCOMPARE(f.state.text(edtVersion), version);
        QCOMPARE(f.state.text(edtFileSize), size);
        QCOMPARE(f.state.text(edtFileSizeMB), sizeMB);
        QCOMPARE(f.state.date(dteFile), released);
        QCOMPARE(f.state.text(edtDesc45), desc45);
        // The English block of 02 is read, not its second, empty German one.
        QVERIFY(!f.state.text(edtKeywords).isEmpty());
        QCOMPARE(f.record(name).value(QStringLiteral("Version")).toString(), version);
    }

    void realPadFilesCompanyDetails()
    {
        ImportFixture f;
        f.import(padSample(QStringLiteral("04-pad3.10-utf8-bom-multilang-en-de.xml")), Mode::Company);
        QCOMPARE(f.state.text(cbCompany), QStringLiteral("Alex Th\u00fcring"));
        QCOMPARE(f.state.text(edtContact), QStringLiteral("Alex Th\u00fcring"));
        QCOMPARE(f.state.text(edtCity), QStringLiteral("Frankfurt am Main"));

        ImportFixture g;
        g.import(padSample(QStringLiteral("05-pad3.11-uppercase-company-contact-tags.xml")), Mode::Company);
        QCOMPARE(g.state.text(cbCompany), QStringLiteral("Duka Istvan"));
        // Empty upper-case contact elements: the first name empties the box,
        // the empty last name adds nothing.
        QCOMPARE(g.state.text(edtContact), QString());
        QCOMPARE(g.state.text(edtContactEMail), QString());
        QCOMPARE(g.state.text(edtCountry), QString());
    }

    void runnerStoresTheProgram()
    {
        TestProgramDirectory dir;
        QString output;
        QString errors;
        QTextStream out(&output);
        QTextStream err(&errors);
        const int code
            = runPadImport(dir.path(), padFixture(QStringLiteral("company-and-program.xml")), false, out, err);
        QCOMPARE(errors, QString());
        QCOMPARE(code, 0);
        QCOMPARE(output, QStringLiteral("Doe Editor\n"));
        QCOMPARE(programNames(dir.path()), QStringList {QStringLiteral("Doe Editor")});
        QVERIFY(!dir.readFile(QStringLiteral("companies.ini")).contains("Doe Software"));
    }

    void runnerSavesTheCompany()
    {
        TestProgramDirectory dir;
        dir.writeFile(QStringLiteral("companies.ini"), "[Acme]\r\nLinks=http://127.0.0.1/links\r\n");
        dir.writeFile(QStringLiteral("quillet.ini"), "[Config]\r\nLastCompany=Acme\r\n");
        QString output;
        QString errors;
        QTextStream out(&output);
        QTextStream err(&errors);
        const int code
            = runPadImport(dir.path(), padFixture(QStringLiteral("company-and-program.xml")), true, out, err);
        QCOMPARE(errors, QString());
        QCOMPARE(code, 0);
        QCOMPARE(output, QStringLiteral("Doe Software\n"));
        const IniFile companies(dir.file(QStringLiteral("companies.ini")));
        QCOMPARE(companies.readString(QStringLiteral("Doe Software"), QStringLiteral("Contact"), QString()),
            QStringLiteral("Jane Doe"));
        // Links is never imported: the current company's value is kept.
        QCOMPARE(companies.readString(QStringLiteral("Doe Software"), QStringLiteral("Links"), QString()),
            QStringLiteral("http://127.0.0.1/links"));
        QCOMPARE(IniFile(dir.file(QStringLiteral("quillet.ini")))
                     .readString(QStringLiteral("Config"), QStringLiteral("LastCompany"), QString()),
            QStringLiteral("Doe Software"));
        QVERIFY(programNames(dir.path()).isEmpty());
    }

    void runnerStoresNothingWhenTheWalkStops_data()
    {
        QTest::addColumn<bool>("company");
        QTest::newRow("program") << false;
        QTest::newRow("company") << true;
    }

    void runnerStoresNothingWhenTheWalkStops()
    {
        QFETCH(bool, company);
        TestProgramDirectory dir;
        const QByteArray companies = "[Acme]\r\nCity=Springfield\r\n";
        const QByteArray settings = "[Config]\r\nLastCompany=Acme\r\n";
        dir.writeFile(QStringLiteral("companies.ini"), companies);
        dir.writeFile(QStringLiteral("quillet.ini"), settings);
        dir.writeFile(QStringLiteral("stops.xml"),
            "<XML_DIZ_INFO><Company_Info><Company_Name>Doe Software</Company_Name></Company_Info>"
            "<Program_Info><Program_Name>Grouped Size</Program_Name>"
            "<File_Size_Bytes>1,536,000</File_Size_Bytes></Program_Info></XML_DIZ_INFO>");
        QString output;
        QString errors;
        QTextStream out(&output);
        QTextStream err(&errors);
        const int code = runPadImport(dir.path(), dir.file(QStringLiteral("stops.xml")), company, out, err);
        if (company) {
            // The company walk meets no size; a walk that stops does the same.
            QCOMPARE(code, 0);
            dir.writeFile(QStringLiteral("companies.ini"), companies);
            dir.writeFile(QStringLiteral("quillet.ini"), settings);
            dir.writeFile(QStringLiteral("stops.xml"),
                "<XML_DIZ_INFO><Company_Info><Company_Name>Doe Software</Company_Name></Company_Info><x>");
            output.clear();
            errors.clear();
            QCOMPARE(runPadImport(dir.path(), dir.file(QStringLiteral("stops.xml")), company, out, err), 1);
            QVERIFY2(errors.contains(QStringLiteral("not well-formed")), qPrintable(errors));
        } else {
            QCOMPARE(code, 1);
            QCOMPARE(errors, QStringLiteral("'1,536,000' is not a valid integer value\n"));
        }
        QCOMPARE(output, QString());
        QVERIFY(programNames(dir.path()).isEmpty());
        QCOMPARE(dir.readFile(QStringLiteral("companies.ini")), companies);
        QCOMPARE(dir.readFile(QStringLiteral("quillet.ini")), settings);
    }

    void fifoIsRefusedAtOnce()
    {
        TestProgramDirectory dir;
        TestFifo fifo(dir.file(QStringLiteral("program.xml")));
        int code = 0;
        QString output;
        QString errors;
        QVERIFY(fifo.returnsPromptly([&] {
            QTextStream out(&output);
            QTextStream err(&errors);
            code = runPadImport(dir.path(), fifo.path(), false, out, err);
        }));
        QCOMPARE(code, 1);
        QCOMPARE(errors, fifo.path() + QStringLiteral(" is not a regular file.\n"));
        QVERIFY(programNames(dir.path()).isEmpty());
    }

    void runnerRefusesACompanyNameWithABracket()
    {
        TestProgramDirectory dir;
        dir.writeFile(QStringLiteral("company.xml"),
            "<XML_DIZ_INFO><Company_Info><Company_Name>Doe [UK] Software</Company_Name>"
            "<City_Town>Leeds</City_Town></Company_Info></XML_DIZ_INFO>");
        QString output;
        QString errors;
        QTextStream out(&output);
        QTextStream err(&errors);
        QCOMPARE(runPadImport(dir.path(), dir.file(QStringLiteral("company.xml")), true, out, err), 1);
        QCOMPARE(errors, QStringLiteral("A company name cannot contain \"]\" or a line break.\n"));
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("companies.ini"))));
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("quillet.ini"))));
    }

    void runnerFailsWhenNothingIsStored_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("company");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing") << "nowhere.xml" << false << "does not exist.";
        QTest::newRow("no name") << "no-program-name.xml" << false << "The PAD file names no program.";
        QTest::newRow("malformed") << "malformed.xml" << false << "not well-formed";
        QTest::newRow("no company") << "no-program-name.xml" << true << "The PAD file names no company.";
    }

    void runnerFailsWhenNothingIsStored()
    {
        QFETCH(QString, file);
        QFETCH(bool, company);
        QFETCH(QString, error);
        TestProgramDirectory dir;
        QString output;
        QString errors;
        QTextStream out(&output);
        QTextStream err(&errors);
        QCOMPARE(runPadImport(dir.path(), padFixture(file), company, out, err), 1);
        QVERIFY2(errors.contains(error), qPrintable(errors));
        QCOMPARE(output, QString());
        QVERIFY(programNames(dir.path()).isEmpty());
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("companies.ini"))));
    }
};

QTEST_GUILESS_MAIN(TestPadImport)
#include "TestPadImport.moc"
