#include "IniDocument.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// Every file and folder below root, as paths relative to it.
QStringList entriesBelow(const QString& root)
{
    QStringList entries;
    QDirIterator it(
        root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        entries.append(QDir(root).relativeFilePath(it.next()));
    entries.sort();
    return entries;
}

} // namespace

// The desktop program as a process: what it prints and where it writes at
// start-up and exit.
class TestQuietStart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startWritesNothingOutsideTheProgramDirectory();
    void qtDiagnosticsOnlyWhenAskedFor();
    void ownErrorsAreStillPrinted();

private:
    // Runs quillet with args; HOME and the XDG folders point into the test's folder.
    int run(const QStringList& args, const QStringList& extraEnvironment = {});

    std::unique_ptr<TestProgramDirectory> m_dir;
    QString m_home;
    QString m_stderr;
};

void TestQuietStart::init()
{
    m_dir = std::make_unique<TestProgramDirectory>();
    m_home = m_dir->file(str("home"));
    QVERIFY(QDir().mkpath(m_home));
    QVERIFY(QDir().mkpath(m_dir->file(str("runtime"))));
    QFile::setPermissions(m_dir->file(str("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(QDir().mkpath(m_dir->file(str("program"))));
}

void TestQuietStart::cleanup()
{
    m_dir.reset();
}

int TestQuietStart::run(const QStringList& args, const QStringList& extraEnvironment)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(str("HOME"), m_home);
    environment.insert(str("XDG_CONFIG_HOME"), m_home + str("/.config"));
    environment.insert(str("XDG_CACHE_HOME"), m_home + str("/.cache"));
    environment.insert(str("XDG_DATA_HOME"), m_home + str("/.local/share"));
    environment.insert(str("XDG_STATE_HOME"), m_home + str("/.local/state"));
    environment.insert(str("XDG_RUNTIME_DIR"), m_dir->file(str("runtime")));
    environment.remove(str("QUILLET_DEBUG"));
    for (const QString& entry : extraEnvironment)
        environment.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(qEnvironmentVariable("QUILLET_BIN_DIR") + str("/quillet"), args);
    if (!program.waitForFinished(120000))
        return -1;
    m_stderr = QString::fromLocal8Bit(program.readAllStandardError());
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
}

void TestQuietStart::startWritesNothingOutsideTheProgramDirectory()
{
    QCOMPARE(run({str("--dir"), m_dir->file(str("program")), str("--exit-after-start")}), 0);
    // Qt's file dialogs keep their state in ~/.config/QtProject.conf: none is
    // built before the user opens one.
    QCOMPARE(entriesBelow(m_home), QStringList());
    QVERIFY(IniDocument::load(m_dir->file(str("program/quillet.ini"))).hasSection(str("Geometry")));
    QVERIFY(QFile::exists(m_dir->file(str("program/Sites.DAT"))));
}

void TestQuietStart::qtDiagnosticsOnlyWhenAskedFor()
{
    QCOMPARE(run({str("--dir"), m_dir->file(str("program")), str("--exit-after-start")}), 0);
    QCOMPARE(m_stderr, QString());
    // They are there to be had: the web engine reports its set-up, for one.
    QCOMPARE(run({str("--dir"), m_dir->file(str("program")), str("--exit-after-start")}, {str("QUILLET_DEBUG=1")}), 0);
    QVERIFY2(!m_stderr.trimmed().isEmpty(), "no diagnostics with QUILLET_DEBUG=1");
}

void TestQuietStart::ownErrorsAreStillPrinted()
{
    QCOMPARE(run({str("--dir")}), 2);
    QCOMPARE(m_stderr, str("--dir needs a folder\n"));
}

QTEST_GUILESS_MAIN(TestQuietStart)
#include "TestQuietStart.moc"
