#include "IniDocument.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

// The desktop program started on the demo data the way the README starts it,
// then closed at once the normal way.
class TestSmoke : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsOnTheDemoDataAndSavesOnExit();
    void terminationSignalClosesTheWindowNormally();
};

void TestSmoke::startsOnTheDemoDataAndSavesOnExit()
{
    TestProgramDirectory dir;
    const QString source = qEnvironmentVariable("QUILLET_SOURCE_DIR");
    const QString bin = qEnvironmentVariable("QUILLET_BIN_DIR");
    QProcess setup;
    setup.start("bash", {source + "/scripts/setup-demo.sh", dir.path() + "demo", bin});
    QVERIFY(setup.waitForFinished(120000));
    QCOMPARE(setup.exitCode(), 0);

    QProcess sites;
    sites.start(bin + "/quillet-cli", {"--dir", dir.path() + "demo", "sites"});
    QVERIFY(sites.waitForFinished(60000));
    const QStringList names = QString::fromUtf8(sites.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(names.size(), 8);
    QVERIFY(names.contains("Acorn Downloads"));
    QVERIFY(!names.contains("Driftwood Freeware"));
    QVERIFY(!names.contains("Elm Street Utilities"));

    QProcess program;
    program.start(bin + "/quillet", {"--dir", dir.path() + "demo", "--exit-after-start"});
    QVERIFY(program.waitForFinished(120000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const IniDocument ini = IniDocument::load(dir.path() + "demo/quillet.ini");
    QVERIFY(ini.hasSection("Geometry"));
    QCOMPARE(ini.readString("LastProgram", "ProgramName", ""), QString("NoteNest"));
    QCOMPARE(ini.readString("Config", "LastCompany", ""), QString("Lantern Bay Software"));
    QCOMPARE(ini.readString("PopUpList", "3", ""), QString("40"));
}

void TestSmoke::terminationSignalClosesTheWindowNormally()
{
    TestProgramDirectory dir;
    const QString bin = qEnvironmentVariable("QUILLET_BIN_DIR");
    QProcess program;
    program.start(bin + "/quillet", {"--dir", dir.path()});
    QVERIFY(program.waitForStarted(30000));
    // The tables appear while start-up is still building the window: the
    // signal comes before the window exists and must still close it normally.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.file("Sites.DAT")), 60000);
    QVERIFY(!QFile::exists(dir.file("quillet.ini")));
    program.terminate();
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const IniDocument ini = IniDocument::load(dir.file("quillet.ini"));
    QVERIFY(ini.hasSection("Geometry"));
    QVERIFY(ini.hasSection("Config"));
}

QTEST_GUILESS_MAIN(TestSmoke)
#include "TestSmoke.moc"
