#include "ProgramDirectory.h"
#include "QuilletError.h"
#include "TableSchema.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(ProgramDirectory::Rule)

namespace {

int modeOf(const QString& path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

// Sets the process's umask for one scope.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask)
        : m_previous(::umask(mask))
    { }
    ~ScopedUmask() { ::umask(m_previous); }

private:
    mode_t m_previous;
};

// Sets or clears an environment variable for one scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray* value)
        : m_name(name)
        , m_wasSet(qEnvironmentVariableIsSet(name))
        , m_previous(qgetenv(name))
    {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (m_wasSet)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_wasSet;
    QByteArray m_previous;
};

} // namespace

// The choice of the program directory: the rules on given facts, what the
// file system shows of a folder, the per-user folder's place and the
// creation of missing folders with mode 0700.
class TestProgramDirectoryChoice : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rulesInOrder_data();
    void rulesInOrder();
    void describeNamesTheRule();
    void userDataFolderFollowsXdgDataHome_data();
    void userDataFolderFollowsXdgDataHome();
    void inspectSeesDataFilesAndTheInstalledLayout();
    void dataFilesAreTheTablesAndTheSettings();
    void createMakesEveryMissingLevelPrivate_data();
    void createMakesEveryMissingLevelPrivate();
    void createLeavesExistingFoldersAlone();
    void createRefusesFilesInTheWay();
    void commandLineFolderIsTakenOut();
    void withoutDirTheBuildFolderIsPortable();
};

void TestProgramDirectoryChoice::rulesInOrder_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("dataFile");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<ProgramDirectory::Rule>("rule");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");

    using Rule = ProgramDirectory::Rule;
    const QString exe = QStringLiteral("/opt/q/bin/");
    const QString user = QStringLiteral("/home/a/.local/share/quillet/");
    QTest::newRow("--dir beats data beside the executable")
        << "/data/x"
        << "quillet.ini" << true << true << Rule::CommandLine << "/data/x/"
        << "given on the command line";
    QTest::newRow("settings make a portable copy of an installed tree")
        << ""
        << "quillet.ini" << true << false << Rule::Portable << exe << "the executable's folder holds quillet.ini";
    QTest::newRow("a table file is data too")
        << ""
        << "ProgSite.DAT" << false << false << Rule::Portable << exe << "the executable's folder holds ProgSite.DAT";
    QTest::newRow("installed copy in a writable folder (root)")
        << ""
        << "" << true << true << Rule::UserData << user << "belongs to an installed copy";
    QTest::newRow("writable folder is a portable copy")
        << ""
        << "" << false << true << Rule::Portable << exe << "the executable's folder is writable";
    QTest::newRow("read-only folder falls back to the user's")
        << ""
        << "" << false << false << Rule::UserData << user << "is not writable";
}

void TestProgramDirectoryChoice::rulesInOrder()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, dataFile);
    QFETCH(bool, installed);
    QFETCH(bool, writable);
    QFETCH(ProgramDirectory::Rule, rule);
    QFETCH(QString, path);
    QFETCH(QString, reason);

    ProgramDirectory::ExecutableFolder executable;
    executable.path = QStringLiteral("/opt/q/bin");
    executable.dataFile = dataFile;
    executable.installedCopy = installed;
    executable.writable = writable;
    const ProgramDirectory::Choice choice
        = ProgramDirectory::decide(commandLine, executable, QStringLiteral("/home/a/.local/share/quillet"));
    QCOMPARE(choice.rule, rule);
    QCOMPARE(choice.path, path);
    QVERIFY2(choice.reason.contains(reason), qPrintable(choice.reason));
}

void TestProgramDirectoryChoice::describeNamesTheRule()
{
    ProgramDirectory::ExecutableFolder executable;
    executable.path = QStringLiteral("/usr/bin");
    executable.installedCopy = true;
    executable.writable = true;
    const QByteArray xdg = "/srv/xdg";
    ScopedEnvironment environment("XDG_DATA_HOME", &xdg);
    QCOMPARE(ProgramDirectory::decide("/d", executable, "/u").describe(), QString("--dir"));
    QCOMPARE(ProgramDirectory::decide(QString(), executable, "/srv/xdg/quillet").describe(),
        QString("user data ($XDG_DATA_HOME/quillet; the executable's folder belongs to an installed copy)"));
    executable.installedCopy = false;
    QCOMPARE(ProgramDirectory::decide(QString(), executable, "/u").describe(),
        QString("portable (the executable's folder is writable)"));
}

void TestProgramDirectoryChoice::userDataFolderFollowsXdgDataHome_data()
{
    QTest::addColumn<bool>("set");
    QTest::addColumn<QByteArray>("xdg");
    QTest::addColumn<QString>("expected"); // "~" stands for the home folder

    QTest::newRow("absolute") << true << QByteArray("/srv/data") << "/srv/data/quillet";
    QTest::newRow("trailing slash") << true << QByteArray("/srv/data/") << "/srv/data/quillet";
    QTest::newRow("unset") << false << QByteArray() << "~/.local/share/quillet";
    QTest::newRow("empty") << true << QByteArray() << "~/.local/share/quillet";
    // The XDG base directory rules ignore a relative path.
    QTest::newRow("relative") << true << QByteArray("data") << "~/.local/share/quillet";
}

void TestProgramDirectoryChoice::userDataFolderFollowsXdgDataHome()
{
    QFETCH(bool, set);
    QFETCH(QByteArray, xdg);
    QFETCH(QString, expected);
    TestProgramDirectory home;
    const QByteArray homePath = QFile::encodeName(QDir::cleanPath(home.path()));
    ScopedEnvironment homeEnvironment("HOME", &homePath);
    ScopedEnvironment xdgEnvironment("XDG_DATA_HOME", set ? &xdg : nullptr);
    expected.replace(QLatin1Char('~'), QDir::cleanPath(home.path()));
    QCOMPARE(ProgramDirectory::userDataFolder(), expected);
}

void TestProgramDirectoryChoice::inspectSeesDataFilesAndTheInstalledLayout()
{
    TestProgramDirectory tree;
    QVERIFY(QDir().mkpath(tree.file("bin")));
    const QString bin = tree.file("bin");

    ProgramDirectory::ExecutableFolder facts = ProgramDirectory::inspect(bin);
    QCOMPARE(facts.path, bin);
    QCOMPARE(facts.dataFile, QString());
    QVERIFY(!facts.installedCopy);
    QVERIFY(facts.writable);

    // A folder of that name is not the desktop entry.
    QVERIFY(QDir().mkpath(tree.file("share/applications/example.orlan.quillet.desktop")));
    QVERIFY(!ProgramDirectory::inspect(bin).installedCopy);
    QVERIFY(QDir(tree.file("share/applications/example.orlan.quillet.desktop")).removeRecursively());
    tree.writeFile("share/applications/example.orlan.quillet.desktop", "[Desktop Entry]\n");
    QVERIFY(ProgramDirectory::inspect(bin).installedCopy);
    // Another program's entry does not count.
    TestProgramDirectory other;
    QVERIFY(QDir().mkpath(other.file("bin")));
    other.writeFile("share/applications/org.example.Other.desktop", "[Desktop Entry]\n");
    QVERIFY(!ProgramDirectory::inspect(other.file("bin")).installedCopy);

    tree.writeFile("bin/Sites.DAT", "");
    QCOMPARE(ProgramDirectory::inspect(bin).dataFile, QString("Sites.DAT"));
    tree.writeFile("bin/quillet.ini", "");
    QCOMPARE(ProgramDirectory::inspect(bin).dataFile, QString("quillet.ini"));
    if (::geteuid() != 0) {
        QVERIFY(QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner));
        const bool writable = ProgramDirectory::inspect(bin).writable;
        QVERIFY(QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(!writable);
    }
    // Names are matched exactly, as the program opens them.
    TestProgramDirectory lower;
    lower.writeFile("sites.dat", "");
    lower.writeFile("Quillet.INI", "");
    QCOMPARE(ProgramDirectory::inspect(lower.path()).dataFile, QString());
}

void TestProgramDirectoryChoice::dataFilesAreTheTablesAndTheSettings()
{
    QStringList expected {QStringLiteral("quillet.ini")};
    for (Table table : TableSchema::AllTables)
        expected << TableSchema::fileName(table);
    QStringList names = ProgramDirectory::dataFileNames();
    names.sort();
    expected.sort();
    QCOMPARE(names, expected);
}

void TestProgramDirectoryChoice::createMakesEveryMissingLevelPrivate_data()
{
    QTest::addColumn<int>("mask");
    QTest::newRow("umask 022") << 022;
    QTest::newRow("umask 000") << 0;
    QTest::newRow("umask 077") << 077;
    QTest::newRow("umask 277 strips the owner's write bit") << 0277;
}

void TestProgramDirectoryChoice::createMakesEveryMissingLevelPrivate()
{
    QFETCH(int, mask);
    TestProgramDirectory base;
    QVERIFY(QFile::setPermissions(base.path(),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
            | QFile::ExeOther));
    {
        ScopedUmask umask(static_cast<mode_t>(mask));
        ProgramDirectory::create(base.file("one/two/quillet"));
    }
    for (const char* level : {"one", "one/two", "one/two/quillet"})
        QCOMPARE(modeOf(base.file(level)), 0700);
    QCOMPARE(modeOf(base.path()), 0755);
    // The folder is usable at once.
    QFile file(base.file("one/two/quillet/quillet.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void TestProgramDirectoryChoice::createLeavesExistingFoldersAlone()
{
    TestProgramDirectory base;
    QVERIFY(QDir().mkpath(base.file("shared")));
    QVERIFY(QFile::setPermissions(base.file("shared"),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
            | QFile::ReadOther | QFile::ExeOther));
    base.writeFile("shared/keep.txt", "kept");
    ProgramDirectory::create(base.file("shared"));
    QCOMPARE(modeOf(base.file("shared")), 0775);
    ProgramDirectory::create(base.file("shared/new"));
    QCOMPARE(modeOf(base.file("shared")), 0775);
    QCOMPARE(modeOf(base.file("shared/new")), 0700);
    QCOMPARE(base.readFile("shared/keep.txt"), QByteArray("kept"));
    // A trailing separator and "." parts name the same folder.
    ProgramDirectory::create(base.file("shared/./new/"));
    QCOMPARE(modeOf(base.file("shared/new")), 0700);
}

void TestProgramDirectoryChoice::createRefusesFilesInTheWay()
{
    TestProgramDirectory base;
    base.writeFile("file", "not a folder");
    try {
        ProgramDirectory::create(base.file("file"));
        QFAIL("a file was taken for a folder");
    } catch (const QuilletError& error) {
        QVERIFY2(error.text().startsWith("Cannot create the program directory " + base.file("file")),
            qPrintable(error.text()));
    }
    QVERIFY_THROWS_EXCEPTION(QuilletError, ProgramDirectory::create(base.file("file/below/quillet")));
    QCOMPARE(base.readFile("file"), QByteArray("not a folder"));
    // A missing level under a file: nothing is made on the way.
    base.writeFile("a/blocker", "x");
    QVERIFY_THROWS_EXCEPTION(QuilletError, ProgramDirectory::create(base.file("a/blocker/b/c")));
    QVERIFY(!QFileInfo::exists(base.file("a/blocker/b")));
}

void TestProgramDirectoryChoice::commandLineFolderIsTakenOut()
{
    TestProgramDirectory base;
    QStringList arguments {"quillet-cli", "info", "--dir", base.file("given/deeper"), "--all"};
    ProgramDirectory::Choice choice = ProgramDirectory::choose(arguments);
    QCOMPARE(arguments, QStringList({"quillet-cli", "info", "--all"}));
    QCOMPARE(choice.rule, ProgramDirectory::Rule::CommandLine);
    QCOMPARE(choice.path, base.file("given/deeper/"));
    QCOMPARE(modeOf(base.file("given")), 0700);
    QCOMPARE(modeOf(base.file("given/deeper")), 0700);

    arguments = QStringList {"quillet", "--dir=" + base.file("other")};
    QCOMPARE(ProgramDirectory::choose(arguments).path, base.file("other/"));
    QCOMPARE(arguments, QStringList({"quillet"}));

    for (const QStringList& bad :
        {QStringList {"quillet", "--dir"}, QStringList {"quillet", "--dir", ""}, QStringList {"quillet", "--dir="}}) {
        QStringList copy = bad;
        try {
            ProgramDirectory::choose(copy);
            QFAIL(qPrintable("accepted: " + bad.join(' ')));
        } catch (const QuilletError& error) {
            QCOMPARE(error.text(), QString("--dir needs a folder"));
        }
    }
}

void TestProgramDirectoryChoice::withoutDirTheBuildFolderIsPortable()
{
    // The build folder has no desktop entry beside it and is writable for
    // the one who built it.
    if (!QFileInfo(QCoreApplication::applicationDirPath()).isWritable())
        QSKIP("the build folder is not writable for this user");
    QStringList arguments {"quillet-cli", "info"};
    const ProgramDirectory::Choice choice = ProgramDirectory::choose(arguments);
    QCOMPARE(choice.rule, ProgramDirectory::Rule::Portable);
    QCOMPARE(choice.path, QCoreApplication::applicationDirPath() + "/");
}

QTEST_GUILESS_MAIN(TestProgramDirectoryChoice)
#include "TestProgramDirectory.moc"
