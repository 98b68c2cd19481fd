#include "CliRun.h"
#include "DataFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

QString padSample(const QString& name)
{
    return qEnvironmentVariable("QUILLET_PAD_SAMPLES") + QLatin1Char('/') + name;
}

const QRegularExpression kError(QStringLiteral("^error: "));
const QRegularExpression kWarning(QStringLiteral("^warning: "));

} // namespace

class TestPadCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void usageErrorsExitTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("export without program") << QStringList {"export-pad", "out.xml"};
        QTest::newRow("export without file") << QStringList {"export-pad", "--program", "A"};
        QTest::newRow("export with two files") << QStringList {"export-pad", "--program", "A", "a.xml", "b.xml"};
        QTest::newRow("validate without file") << QStringList {"validate-pad"};
        QTest::newRow("validate unknown option") << QStringList {"validate-pad", "--lenient", "a.xml"};
    }

    void usageErrorsExitTwo()
    {
        QFETCH(QStringList, arguments);
        TestProgramDirectory dir;
        const CliResult result = runCli(QStringList {"--dir", dir.path()} + arguments);
        QCOMPARE(result.code, 2);
        QCOMPARE(result.out, QString());
        QVERIFY(!result.err.isEmpty());
    }

    // A program that is not there and a target that is no file stop the export.
    void exportRefusals_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("toFolder");
        QTest::addColumn<QString>("words");
        QTest::newRow("no such program") << "Nobody" << false << "There is no program named Nobody.\n";
        QTest::newRow("folder") << "NoteNest" << true << "is a folder.";
    }

    void exportRefusals()
    {
        QFETCH(QString, program);
        QFETCH(bool, toFolder);
        QFETCH(QString, words);
        DataFixture f;
        f.open();
        f.properties()[PropertyCatalogue::ProgramName].setValue(QStringLiteral("NoteNest"));
        f.dm().saveProgram(QStringLiteral("NoteNest"));
        f.close();
        const QString target = toFolder ? f.dir.path() : f.dir.file(QStringLiteral("out.xml"));
        const CliResult result = runCli({"--dir", f.dir.path(), "export-pad", "--program", program, target});
        QCOMPARE(result.code, 1);
        QVERIFY2(result.err.contains(words), qPrintable(result.err));
        QVERIFY(!QFile::exists(f.dir.file(QStringLiteral("out.xml"))));
    }

    void samplesListTheProblemsTheyHave_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("expected"); // lines that must be among the output
        QTest::newRow("01")
            << "01-pad1.15-windows1252-simtel.xml"
            << QStringList {"error: Company_Info/City_Town \"-\": City_Town has 1 character; PAD asks "
                            "for at least 2",
                   "warning: Program_Info/Program_OS_Support \"Win95,Win98,WinME,WinNT 3.x,WinNT 4.x,WinXP,"
                   "Windows2000\": Program_OS_Support names \"Windows2000\", which the PAD 3.11 list lacks; "
                   "the closest 3.11 id is \"Win2000\"",
                   "error: Program_Info/Program_Category_Class: Program_Category_Class is missing; PAD "
                   "requires it"};
        QTest::newRow("02") << "02-pad1.00-iso8859-1-crlf-unpadded-date-empty-german.xml"
                            << QStringList {
                                   "error: Program_Info/Program_Release_Month \"8\": Program_Release_Month is no "
                                   "two-digit month from 01 to 12",
                                   "error: Program_Info/Program_Release_Day \"1\": Program_Release_Day is no two-digit "
                                   "day from 01 to 31",
                                   "error: Program_Info/Program_Type \"Open-Source\": Program_Type is not one of the "
                                   "values PAD allows: Shareware, Freeware, Adware, Demo, Commercial, Data Only"};
        QTest::newRow("04") << "04-pad3.10-utf8-bom-multilang-en-de.xml"
                            << QStringList {
                                   QStringLiteral("error: Program_Descriptions/German/Char_Desc_80 \"Kostenlose "
                                                  "DVD Authoring-Applikation f\u00fcr Erstellen von prof\u2026\": "
                                                  "Char_Desc_80 has 85 characters; PAD allows 80")};
        QTest::newRow("05") << "05-pad3.11-uppercase-company-contact-tags.xml"
                            << QStringList {
                                   "error: COMPANY_INFO: Company_Info is written COMPANY_INFO; PAD element names "
                                   "are case-sensitive",
                                   "error: COMPANY_INFO/City_Town \"\": City_Town is empty; PAD requires a value",
                                   // A blank a reader that trims never sees.
                                   "error: Program_Info/Program_Version \" 1.0.0\": Program_Version begins with a "
                                   "blank or line break, which PAD does not allow here"};
        QTest::newRow("06") << "06-pad3.11-crlf-uppercase-webinfo-download-tags.xml"
                            << QStringList {"error: WEB_INFO: Web_Info is written WEB_INFO; PAD element names are "
                                            "case-sensitive",
                                   "error: WEB_INFO/DOWNLOAD_URLS/PRIMARY_DOWNLOAD_URL \"http://d-jon.com/downloads/"
                                   "download.php?file=0\": Primary_Download_URL is written PRIMARY_DOWNLOAD_URL; PAD "
                                   "element names are case-sensitive"};
        QTest::newRow("07") << "07-pad3.11-empty-release-date-program-description-typo.xml"
                            << QStringList {"warning: Program_Description: Program_Description is no PAD element; the "
                                            "format names Program_Descriptions, so a site reads nothing from it",
                                   "error: Program_Info/Program_Release_Year \"\": Program_Release_Year is empty; PAD "
                                   "requires a value"};
        QTest::newRow("08")
            << "08-pad4.0-handcoded-flat-contact.xml"
            << QStringList {"error: Company_Info/Address_1 \"Bahcelievler Mahallesi 319 Cadde E Blok "
                            "35E/B26\": Address_1 has 47 characters; PAD allows 40",
                   "error: Company_Info/Contact_Info/Contact_Email: Contact_Email is missing; PAD requires "
                   "it"};
    }

    void samplesListTheProblemsTheyHave()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, expected);
        TestProgramDirectory dir;
        const CliResult result = runCli({"--dir", dir.path(), "validate-pad", padSample(file)});
        QCOMPARE(result.code, 1);
        for (const QString& line : expected)
            QVERIFY2(result.lines().contains(line), qPrintable(line + QStringLiteral("\n--\n") + result.out));
    }

    void unreadableFilesFailCleanly_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words");
        QTest::newRow("missing") << "missing"
                                 << "does not exist.";
        QTest::newRow("folder") << "folder"
                                << "is a folder.";
        QTest::newRow("malformed") << "malformed"
                                   << "is not well-formed XML";
        QTest::newRow("100 MB") << "huge"
                                << "is too large.";
    }

    void unreadableFilesFailCleanly()
    {
        QFETCH(QString, kind);
        QFETCH(QString, words);
        TestProgramDirectory dir;
        const QString file = dir.file(QStringLiteral("pad.xml"));
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(file));
        } else if (kind == QLatin1String("malformed")) {
            dir.writeFile(QStringLiteral("pad.xml"), "<XML_DIZ_INFO><<<");
        } else if (kind == QLatin1String("huge")) {
            dir.writeFile(QStringLiteral("pad.xml"), "<XML_DIZ_INFO>");
            QFile sparse(file);
            QVERIFY(sparse.resize(qint64(100) * 1024 * 1024));
        }
        const CliResult result = runCli({"--dir", dir.path(), "validate-pad", file});
        QCOMPARE(result.code, 1);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.contains(words), qPrintable(result.err));
    }

    void demoProgramsErrorsAndWarnings()
    {
        // As a user runs it: the dates the demo's setup stored are read in
        // the same locale.
        TestProgramDirectory dir;
        const QString demo = dir.path() + QStringLiteral("demo");
        QProcess setup;
        setup.start(QStringLiteral("bash"),
            {qEnvironmentVariable("QUILLET_SOURCE_DIR") + QStringLiteral("/scripts/setup-demo.sh"), demo,
                qEnvironmentVariable("QUILLET_BIN_DIR")});
        QVERIFY(setup.waitForFinished(120000));
        QVERIFY2(setup.exitCode() == 0, setup.readAllStandardError().constData());

        const QString file = dir.file(QStringLiteral("notenest.xml"));
        CliResult result = runCliProcess({"--dir", demo, "export-pad", "--program", "NoteNest", file});
        QCOMPARE(result.code, 0);
        QCOMPARE(result.lines(), QStringList {file});
        result = runCliProcess({"--dir", demo, "validate-pad", file});
        QCOMPARE(result.lines().filter(kError),
            QStringList {"error: Program_Descriptions/English/Char_Desc_45 \"Notes, outlines and to-do lists that stay "
                         "organised.\": Char_Desc_45 has 52 characters; PAD allows 45"});
        QCOMPARE(result.code, 1);
        QVERIFY(!result.lines().filter(kWarning).isEmpty());

        // Warnings alone pass, unless strict.
        result = runCliProcess({"--dir", demo, "export-pad", "--program", "PixelPilot", file});
        QCOMPARE(result.code, 0);
        result = runCliProcess({"--dir", demo, "validate-pad", file});
        QCOMPARE(result.lines().filter(kError), QStringList());
        QVERIFY(!result.lines().filter(kWarning).isEmpty());
        QCOMPARE(result.code, 0);
        result = runCliProcess({"--dir", demo, "validate-pad", "--strict", file});
        QCOMPARE(result.code, 1);
    }
};

QTEST_GUILESS_MAIN(TestPadCli)
#include "TestPadCli.moc"
