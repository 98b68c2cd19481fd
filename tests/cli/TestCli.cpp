#include "Command.h"
#include "IniDocument.h"
#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

struct Result {
    int code = -1;
    QString out;
    QString err;
};

Result run(const QStringList& arguments)
{
    Result result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.code = runCommandLine(QStringList {"quillet-cli"} + arguments, out, err);
    out.flush();
    err.flush();
    return result;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void infoOnEmptyFolderPrintsDefaults();
    void infoShowsStoredSettingsAndWritesNothing();
    void usageErrors();
    void helpAndVersion();
    void executableFindsItsOwnFolder();
};

void TestCli::infoOnEmptyFolderPrintsDefaults()
{
    TestProgramDirectory dir;
    const Result result = run({"--dir", dir.path(), "info"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.err, QString());
    const QStringList lines = result.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.first(), "ProgramDirectory: " + dir.path());
    QVERIFY(lines.contains("Language: English"));
    QVERIFY(lines.contains("SiteFilter: Dead=False AND Hide=False"));
    QVERIFY(lines.contains("SiteVer: 1"));
    QVERIFY(lines.contains("LastCompany: "));
    QVERIFY(lines.contains("Links: "));
    QVERIFY(lines.contains("LastProgram: "));
    QVERIFY(lines.contains("AutoFillFormFields: true"));
    QVERIFY(lines.contains("BrowserContextMenuIndex: 1"));
    QVERIFY(lines.contains("MenuItemsPerColumn: 16"));
    QCOMPARE(lines.size(), 22);
    QVERIFY(!QFile::exists(dir.file("quillet.ini")));
}

void TestCli::infoShowsStoredSettingsAndWritesNothing()
{
    TestProgramDirectory dir;
    const QByteArray settings = "[Config]\nLastCompany=Acme\nLanguage=Deutsch\n[LastProgram]\nProgramName=Tool\n"
                                "[PowerPaste]\nMenu items per column=8\n[Company]\nCity=ignored\n";
    dir.writeFile("quillet.ini", settings);
    dir.writeFile("companies.ini", "[Acme]\nCity=Springfield\n");
    const Result result = run({"--dir=" + dir.path(), "info"});
    QCOMPARE(result.code, 0);
    const QStringList lines = result.out.split('\n', Qt::SkipEmptyParts);
    QVERIFY(lines.contains("Company: Acme"));
    QVERIFY(lines.contains("City: Springfield"));
    QVERIFY(lines.contains("Language: Deutsch"));
    QVERIFY(lines.contains("LastProgram: Tool"));
    QVERIFY(lines.contains("MenuItemsPerColumn: 8"));
    QCOMPARE(dir.readFile("quillet.ini"), settings);
}

void TestCli::usageErrors()
{
    TestProgramDirectory dir;
    Result result = run({"--dir", dir.path()});
    QCOMPARE(result.code, 2);
    QVERIFY(result.err.contains("Usage: quillet-cli"));
    result = run({"--dir", dir.path(), "nonsense"});
    QCOMPARE(result.code, 2);
    QCOMPARE(result.err, QString("Unknown command: nonsense (see 'quillet-cli --help')\n"));
    result = run({"--dir", dir.path(), "info", "--bogus"});
    QCOMPARE(result.code, 2);
    QVERIFY(result.err.startsWith("info: "));
    result = run({"info", "--dir"});
    QCOMPARE(result.code, 2);
    QCOMPARE(result.err, QString("--dir needs a folder\n"));
}

void TestCli::helpAndVersion()
{
    Result result = run({"--version"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out, QString("quillet-cli 3.2\n"));
    result = run({"--help"});
    QCOMPARE(result.code, 0);
    QVERIFY(result.out.contains("info"));
    result = run({"info", "--help"});
    QCOMPARE(result.code, 0);
    QVERIFY(result.out.startsWith("Usage: quillet-cli [--dir DIR] info"));
}

void TestCli::executableFindsItsOwnFolder()
{
    // Without --dir the program directory is the executable's folder, not the current one.
    TestProgramDirectory work;
    QProcess process;
    process.setWorkingDirectory(work.path());
    const QString binary = qEnvironmentVariable("QUILLET_BIN_DIR") + "/quillet-cli";
    process.start(binary, {"info"});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    const QString firstLine = QString::fromUtf8(process.readAllStandardOutput()).section('\n', 0, 0);
    QCOMPARE(firstLine, "ProgramDirectory: " + qEnvironmentVariable("QUILLET_BIN_DIR") + "/");
}

QTEST_GUILESS_MAIN(TestCli)
#include "TestCli.moc"
