#include "CliRun.h"
#include "DataFixture.h"
#include "DemoSetup.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

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
        // An unknown option: the command line's own test, for every command.
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

    // A program that is not there stops the export. A target that is no
    // file: the export's own table, and the command line's test of errors
    // its commands raise.
    void exportOfAProgramNotThereWritesNothing()
    {
        DataFixture f;
        f.open();
        f.properties()[PropertyCatalogue::ProgramName].setValue(QStringLiteral("NoteNest"));
        f.dm().saveProgram(QStringLiteral("NoteNest"));
        f.close();
        const QString target = f.dir.file(QStringLiteral("out.xml"));
        const CliResult result = runCli({"--dir", f.dir.path(), "export-pad", "--program", "Nobody", target});
        QCOMPARE(result.code, 1);
        QCOMPARE(result.err, QStringLiteral("There is no program named Nobody.\n"));
        QVERIFY(!QFile::exists(target));
    }

    void samplesListTheProblemsTheyHave_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("summary");
        // Starts of lines that must be among the output, where a sample holds
        // what no validator test has: a closest id other than "WinOther", a
        // value outside ASCII on standard output, a field below a miscased section.
        QTest::addColumn<QStringList>("starts");
        const auto row = [](const char* file, const char* counts, const QStringList& starts = {}) {
            QTest::newRow(file) << QString(file) << QString(file) + ": " + counts << starts;
        };
        row("01-pad1.15-windows1252-simtel.xml", "7 errors, 5 warnings",
            {"warning: Program_Info/Program_OS_Support \"Win95,Win98,WinME,WinNT 3.x,WinNT 4.x,WinXP,Windows2000\": "
             "Program_OS_Support names \"Windows2000\", which the PAD 3.11 list lacks; the closest 3.11 id is "
             "\"Win2000\""});
        row("02-pad1.00-iso8859-1-crlf-unpadded-date-empty-german.xml", "21 errors, 16 warnings");
        row("03-pad2.02-single-line-no-whitespace.xml", "6 errors, 1 warning",
            {"warning: Program_Info/Program_OS_Support \"Mac OS X 10.5\": Program_OS_Support names \"Mac OS X 10.5\", "
             "which the PAD 3.11 list lacks; the closest 3.11 id is \"Mac OS X\""});
        row("04-pad3.10-utf8-bom-multilang-en-de.xml", "2 errors, no warnings",
            {QStringLiteral("error: Program_Descriptions/German/Char_Desc_80 \"Kostenlose DVD Authoring-Applikation "
                            "f\u00fcr Erstellen von prof\u2026\": Char_Desc_80 has 85 characters; PAD allows 80")});
        row("05-pad3.11-uppercase-company-contact-tags.xml", "22 errors, 1 warning",
            {"error: COMPANY_INFO/City_Town \"\": "});
        row("06-pad3.11-crlf-uppercase-webinfo-download-tags.xml", "7 errors, no warnings");
        row("07-pad3.11-empty-release-date-program-description-typo.xml", "9 errors, 1 warning");
        row("08-pad4.0-handcoded-flat-contact.xml", "11 errors, 8 warnings");
    }

    void samplesListTheProblemsTheyHave()
    {
        QFETCH(QString, file);
        QFETCH(QString, summary);
        QFETCH(QStringList, starts);
        TestProgramDirectory dir;
        const CliResult result = runCli({"--dir", dir.path(), "validate-pad",
            qEnvironmentVariable("QUILLET_PAD_SAMPLES") + QLatin1Char('/') + file});
        QCOMPARE(result.code, 1);
        QCOMPARE(result.err, summary + QLatin1Char('\n'));
        for (const QString& start : starts) {
            const QRegularExpression line(QLatin1Char('^') + QRegularExpression::escape(start));
            QVERIFY2(!result.lines().filter(line).isEmpty(), qPrintable(start + QStringLiteral("\n--\n") + result.out));
        }
    }

    void unreadableFilesFailCleanly_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words");
        const auto row
            = [](const char* kind, const char* words) { QTest::newRow(kind) << QString(kind) << QString(words); };
        row("missing", "does not exist.");
        row("folder", "is a folder.");
        row("malformed", "is not well-formed XML");
        row("100 MB", "is too large.");
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
        } else if (kind == QLatin1String("100 MB")) {
            // Sparse: the size without the disk space.
            dir.writeFile(QStringLiteral("pad.xml"), "<XML_DIZ_INFO>");
            QVERIFY(QFile(file).resize(qint64(100) * 1024 * 1024));
        }
        const CliResult result = runCli({"--dir", dir.path(), "validate-pad", file});
        QCOMPARE(result.code, 1);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.contains(words), qPrintable(result.err));
    }

    void demoProgramsWarningsPassUnlessStrict()
    {
        // As a user runs it: the dates the demo's setup stored are read in
        // the same locale.
        TestProgramDirectory dir;
        const QString demo = dir.path() + QStringLiteral("demo");
        const QString failed = setUpDemo(demo);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));

        // The demo's program with an error is the editor's test; errors fail
        // the samples here. Warnings alone pass, unless strict.
        const QString file = dir.file(QStringLiteral("pixelpilot.xml"));
        CliResult result = runCliProcess({"--dir", demo, "export-pad", "--program", "PixelPilot", file});
        QCOMPARE(result.code, 0);
        QCOMPARE(result.lines(), QStringList {file});
        result = runCliProcess({"--dir", demo, "validate-pad", file});
        QCOMPARE(result.err, QStringLiteral("pixelpilot.xml: no errors, 7 warnings\n"));
        QCOMPARE(result.code, 0);
        result = runCliProcess({"--dir", demo, "validate-pad", "--strict", file});
        QCOMPARE(result.code, 1);
    }
};

QTEST_GUILESS_MAIN(TestPadCli)
#include "TestPadCli.moc"
