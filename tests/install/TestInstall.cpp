#include "TestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
};

// Runs program with the test's environment changed by the entries of
// environment ("NAME=value" sets, "NAME" alone unsets).
Run runProgram(const QString& program, const QStringList& arguments, const QStringList& environment = {},
    const QString& workingDirectory = QString())
{
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        if (equals < 0)
            variables.remove(entry);
        else
            variables.insert(entry.left(equals), entry.mid(equals + 1));
    }
    process.setProcessEnvironment(variables);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("did not finish: ") + program;
        return run;
    }
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

int modeOf(const QString& path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

// The "key: value" lines of "quillet-cli info".
QString infoValue(const QString& output, const QString& key)
{
    for (const QString& line : output.split(QLatin1Char('\n'))) {
        if (line.startsWith(key + QStringLiteral(": ")))
            return line.mid(key.size() + 2);
    }
    return QStringLiteral("<no %1 line>").arg(key);
}

// The keys of a desktop entry's [Desktop Entry] group.
QMap<QString, QString> desktopEntry(const QString& path)
{
    QMap<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inGroup = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')))
            inGroup = line == QLatin1String("[Desktop Entry]");
        else if (inGroup && line.contains(QLatin1Char('=')))
            keys.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    }
    return keys;
}

// Lines of a validator's report that are errors or warnings.
QStringList complaints(const QString& report, const QStringList& markers)
{
    QStringList found;
    for (const QString& line : report.split(QLatin1Char('\n'))) {
        for (const QString& marker : markers) {
            if (line.contains(marker))
                found << line;
        }
    }
    return found;
}

} // namespace

// "cmake --install" into a temporary prefix: the files a desktop expects,
// checked by the desktop's own validators, manual pages that man shows, and
// the installed programs choosing their program directory.
class TestInstall : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void installsExactlyTheExpectedFiles();
    void iconsAtEverySize();
    void desktopEntryValidates();
    void metainfoValidates();
    void manualPagesShow();
    void installedCopyUsesXdgDataHome();
    void installedCopyFallsBackToTheHomeFolder();
    void brokenUserDataFolderIsReported();
    void dirWinsForTheInstalledCopy();
    void settingsBesideTheInstalledProgramMakeItPortable();
    void copiedExecutableIsPortable();
    void unwritableFolderFallsBackToTheUserFolder();
    void installedProgramStartsOnAnEmptyUserFolder();
    void pageCommandsRunInTheInstalledHelper();
    void installedProgramsFindTheShippedLanguages();

private:
    // relative starts with the name of an install folder: "bin/", "share/",
    // "man/", "libexec/" or "lib/", replaced by the build's own.
    QString prefixed(const QString& relative) const;
    QString cli() const { return prefixed(QStringLiteral("bin/quillet-cli")); }
    QString desktopFile() const { return prefixed("share/applications/" + m_appId + ".desktop"); }
    QString metainfoFile() const { return prefixed("share/metainfo/" + m_appId + ".metainfo.xml"); }

    TestProgramDirectory m_prefix;
    QString m_appId;
    QStringList m_programs;
    QStringList m_helpers;
    QStringList m_plugins;
    QMap<QString, QString> m_folders;
};

QString TestInstall::prefixed(const QString& relative) const
{
    const QString first = relative.section(QLatin1Char('/'), 0, 0);
    return m_prefix.path() + m_folders.value(first, first) + relative.mid(first.size());
}

void TestInstall::initTestCase()
{
    m_appId = qEnvironmentVariable("QUILLET_APP_ID");
    m_programs = qEnvironmentVariable("QUILLET_INSTALLED_PROGRAMS").split(',', Qt::SkipEmptyParts);
    m_helpers = qEnvironmentVariable("QUILLET_INSTALLED_HELPERS").split(',', Qt::SkipEmptyParts);
    m_plugins = qEnvironmentVariable("QUILLET_INSTALLED_PLUGINS").split(',', Qt::SkipEmptyParts);
    const QStringList folders = qEnvironmentVariable("QUILLET_INSTALL_DIRS").split(',');
    QCOMPARE(folders.size(), 5);
    const char* names[] = {"bin", "share", "man", "libexec", "lib"};
    for (int i = 0; i < 5; ++i)
        m_folders.insert(names[i], folders.at(i));
    QVERIFY(!m_appId.isEmpty());
    QVERIFY(m_programs.contains("quillet"));
    QVERIFY(m_programs.contains("quillet-cli"));
    const Run install = runProgram(qEnvironmentVariable("QUILLET_CMAKE"),
        {"--install", qEnvironmentVariable("QUILLET_BUILD_DIR"), "--prefix", QDir::cleanPath(m_prefix.path())});
    QVERIFY2(install.code == 0, qPrintable(install.out + install.err));
}

void TestInstall::installsExactlyTheExpectedFiles()
{
    QStringList expected {desktopFile(), prefixed("share/icons/hicolor/48x48/apps/" + m_appId + ".png"),
        prefixed("share/icons/hicolor/128x128/apps/" + m_appId + ".png"),
        prefixed("share/icons/hicolor/scalable/apps/" + m_appId + ".svg"), metainfoFile()};
    for (const QString& program : std::as_const(m_programs))
        expected << prefixed("bin/" + program) << prefixed("man/man1/" + program + ".1.gz");
    for (const QString& helper : std::as_const(m_helpers))
        expected << prefixed("libexec/quillet/" + helper);
    for (const QString& plugin : std::as_const(m_plugins))
        expected << prefixed("lib/quillet/lib" + plugin + ".so");
    const QStringList languages = qEnvironmentVariable("QUILLET_SHIPPED_LANGUAGES").split(',', Qt::SkipEmptyParts);
    QVERIFY(languages.contains("German.lng"));
    QVERIFY(languages.contains("French.lng"));
    for (const QString& language : languages) {
        expected << prefixed("share/quillet/lang/" + language);
        QFile installedFile(prefixed("share/quillet/lang/" + language));
        QFile source(qEnvironmentVariable("QUILLET_LANGUAGE_SOURCES") + "/" + language);
        QVERIFY(installedFile.open(QIODevice::ReadOnly) && source.open(QIODevice::ReadOnly));
        QCOMPARE(installedFile.readAll(), source.readAll());
    }

    QStringList installed;
    QDirIterator files(m_prefix.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        installed << files.next();
    installed.sort();
    expected.sort();
    // No test program, benchmark, static library or header comes along.
    QCOMPARE(installed, expected);

    for (const QString& program : std::as_const(m_programs)) {
        const QFileInfo binary(prefixed("bin/" + program));
        QVERIFY2(binary.isExecutable(), qPrintable(program));
        QCOMPARE(modeOf(binary.filePath()) & 0755, 0755);
    }
    for (const QString& helper : std::as_const(m_helpers))
        QVERIFY2(QFileInfo(prefixed("libexec/quillet/" + helper)).isExecutable(), qPrintable(helper));
}

void TestInstall::iconsAtEverySize()
{
    for (int size : {48, 128}) {
        const QString path = prefixed(QStringLiteral("share/icons/hicolor/%1x%1/apps/").arg(size) + m_appId + ".png");
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("png"));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
        // Transparent corners around a drawn middle: a real icon, not a blank square.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
    }
    QImageReader svg(prefixed("share/icons/hicolor/scalable/apps/" + m_appId + ".svg"));
    QCOMPARE(svg.format(), QByteArray("svg"));
    svg.setScaledSize(QSize(256, 256));
    const QImage drawn = svg.read();
    QVERIFY2(!drawn.isNull(), qPrintable(svg.errorString()));
    QCOMPARE(qAlpha(drawn.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(drawn.pixel(128, 128)), 255);
}

void TestInstall::desktopEntryValidates()
{
    const Run validate = runProgram("desktop-file-validate", {desktopFile()});
    QVERIFY2(validate.code == 0, qPrintable(validate.out + validate.err));
    // Hints (two main categories, as asked for) are fine; errors and warnings are not.
    const QStringList found = complaints(validate.out + validate.err, {"error:", "warning:"});
    QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));

    const QMap<QString, QString> entry = desktopEntry(desktopFile());
    QCOMPARE(entry.value("Type"), QString("Application"));
    QCOMPARE(entry.value("Exec"), QString("quillet"));
    QCOMPARE(entry.value("Categories"), QString("Development;Utility;"));
    QCOMPARE(entry.value("Icon"), m_appId);
    QCOMPARE(entry.value("Terminal"), QString("false"));
    QVERIFY(!entry.value("Name").isEmpty());
    QVERIFY(QFileInfo(prefixed("bin/" + entry.value("Exec"))).isExecutable());
    QCOMPARE(entry.value("TryExec"), entry.value("Exec"));
}

void TestInstall::metainfoValidates()
{
    const Run validate = runProgram("appstreamcli", {"validate", "--no-net", metainfoFile()});
    QVERIFY2(validate.code == 0, qPrintable(validate.out + validate.err));
    const QStringList found = complaints(validate.out + validate.err, {"E: ", "W: "});
    QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));

    QFile file(metainfoFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString id;
    QString launchable;
    QString release;
    QStringList binaries;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("id"))
            id = xml.readElementText();
        else if (xml.name() == QLatin1String("launchable"))
            launchable = xml.readElementText();
        else if (xml.name() == QLatin1String("binary"))
            binaries << xml.readElementText();
        else if (xml.name() == QLatin1String("release"))
            release = xml.attributes().value("version").toString();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(id, m_appId);
    QCOMPARE(prefixed("share/applications/" + launchable), desktopFile());
    QCOMPARE(release, QString(QUILLET_VERSION));
    binaries.sort();
    QStringList programs = m_programs;
    programs.sort();
    QCOMPARE(binaries, programs);
}

void TestInstall::manualPagesShow()
{
    const Run help = runProgram(cli(), {"--help"});
    QCOMPARE(help.code, 0);
    QStringList commands;
    for (const QString& line : help.out.section("Commands:\n", 1).split('\n')) {
        if (line.startsWith("  "))
            commands << line.trimmed().section(' ', 0, 0);
    }
    QVERIFY(commands.contains("info"));

    for (const QString& program : std::as_const(m_programs)) {
        const QString page = prefixed("man/man1/" + program + ".1.gz");
        const Run man = runProgram("man", {"--warnings", "-l", page}, {"MANWIDTH=100", "MANPAGER=cat", "PAGER=cat"});
        QVERIFY2(man.code == 0, qPrintable(man.err));
        QVERIFY2(man.err.isEmpty(), qPrintable(program + ": " + man.err));
        // man pads the heading with the page's name in capitals.
        QVERIFY2(man.out.startsWith(program.toUpper() + "(1)"), qPrintable(man.out.left(200)));
        for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "PROGRAM DIRECTORY", "SEE ALSO"})
            QVERIFY2(man.out.contains(QString("\n") + section + "\n"), qPrintable(program + ": " + section));
        QVERIFY(man.out.contains(program + " - "));
        QVERIFY(man.out.contains("--dir DIR"));
        QVERIFY(man.out.contains("~/.local/share/quillet"));
        if (program == QLatin1String("quillet-cli")) {
            for (const QString& command : std::as_const(commands))
                QVERIFY2(man.out.contains(QRegularExpression("\n {7}" + QRegularExpression::escape(command) + "\\b")),
                    qPrintable("the manual page misses " + command));
        }
    }
}

void TestInstall::installedCopyUsesXdgDataHome()
{
    TestProgramDirectory data;
    const QString xdg = data.file("xdg");
    const Run info = runProgram(cli(), {"info"}, {"XDG_DATA_HOME=" + xdg});
    QVERIFY2(info.code == 0, qPrintable(info.err));
    QCOMPARE(infoValue(info.out, "ProgramDirectory"), xdg + "/quillet/");
    QCOMPARE(infoValue(info.out, "ProgramDirectoryRule"),
        QString("user data ($XDG_DATA_HOME/quillet; the executable's folder belongs to an installed copy)"));
    QCOMPARE(modeOf(xdg), 0700);
    QCOMPARE(modeOf(xdg + "/quillet"), 0700);
    // "info" writes nothing into the folder it made.
    QVERIFY(QDir(xdg + "/quillet").isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    // Nothing landed beside the installed programs.
    QStringList bin = QDir(prefixed("bin")).entryList(QDir::Files);
    bin.sort();
    QStringList programs = m_programs;
    programs.sort();
    QCOMPARE(bin, programs);
}

void TestInstall::installedCopyFallsBackToTheHomeFolder()
{
    for (const QString& xdgSetting :
        {QString("XDG_DATA_HOME"), QString("XDG_DATA_HOME="), QString("XDG_DATA_HOME=relative/data")}) {
        TestProgramDirectory home;
        TestProgramDirectory work;
        QVERIFY(QFile::setPermissions(home.path(),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                | QFile::ReadOther | QFile::ExeOther));
        const QString homePath = QDir::cleanPath(home.path());
        const Run info = runProgram(cli(), {"info"}, {"HOME=" + homePath, xdgSetting}, work.path());
        QVERIFY2(info.code == 0, qPrintable(info.err));
        QCOMPARE(infoValue(info.out, "ProgramDirectory"), homePath + "/.local/share/quillet/");
        QVERIFY(infoValue(info.out, "ProgramDirectoryRule").startsWith("user data (~/.local/share/quillet;"));
        for (const char* level : {"/.local", "/.local/share", "/.local/share/quillet"})
            QCOMPARE(modeOf(homePath + level), 0700);
        QCOMPARE(modeOf(homePath), 0755);
        // A relative XDG_DATA_HOME is ignored, not made in the current folder.
        QVERIFY(QDir(work.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }
}

void TestInstall::brokenUserDataFolderIsReported()
{
    TestProgramDirectory data;
    data.writeFile("xdg", "a file where the folder should be");
    Run info = runProgram(cli(), {"info"}, {"XDG_DATA_HOME=" + data.file("xdg")});
    QCOMPARE(info.code, 1);
    QCOMPARE(info.out, QString());
    QVERIFY2(
        info.err.startsWith("Cannot create the program directory " + data.file("xdg/quillet")), qPrintable(info.err));
    QCOMPARE(info.err.count('\n'), 1);
    QCOMPARE(data.readFile("xdg"), QByteArray("a file where the folder should be"));

    // Help, the version and usage errors need no program directory.
    const QStringList broken {"XDG_DATA_HOME=" + data.file("xdg")};
    QCOMPARE(runProgram(cli(), {"--help"}, broken).code, 0);
    QCOMPARE(runProgram(cli(), {"--version"}, broken).code, 0);
    const Run commandHelp = runProgram(cli(), {"info", "--help"}, broken);
    QCOMPARE(commandHelp.code, 0);
    QVERIFY(commandHelp.out.startsWith("Usage: quillet-cli [--dir DIR] info"));
    QCOMPARE(
        runProgram(cli(), {"nonsense"}, broken).err, QString("Unknown command: nonsense (see 'quillet-cli --help')\n"));
    QCOMPARE(
        runProgram(prefixed("bin/quillet"), {"--version"}, broken).out, "quillet " + QString(QUILLET_VERSION) + "\n");

    // The desktop program says the same and starts no window.
    const Run start
        = runProgram(prefixed("bin/quillet"), {"--exit-after-start"}, {"XDG_DATA_HOME=" + data.file("xdg")});
    QCOMPARE(start.code, 1);
    QVERIFY2(
        start.err.contains("Cannot create the program directory " + data.file("xdg/quillet")), qPrintable(start.err));
}

void TestInstall::dirWinsForTheInstalledCopy()
{
    TestProgramDirectory data;
    const Run info
        = runProgram(cli(), {"--dir", data.file("given/deep"), "info"}, {"XDG_DATA_HOME=" + data.file("xdg")});
    QVERIFY2(info.code == 0, qPrintable(info.err));
    QCOMPARE(infoValue(info.out, "ProgramDirectory"), data.file("given/deep/"));
    QCOMPARE(infoValue(info.out, "ProgramDirectoryRule"), QString("--dir"));
    // "info" writes nothing, so it leaves a folder named with --dir unmade;
    // a command that writes makes it.
    QVERIFY(!QFileInfo::exists(data.file("given")));
    const Run programs
        = runProgram(cli(), {"--dir", data.file("given/deep"), "programs"}, {"XDG_DATA_HOME=" + data.file("xdg")});
    QVERIFY2(programs.code == 0, qPrintable(programs.err));
    QCOMPARE(modeOf(data.file("given")), 0700);
    QCOMPARE(modeOf(data.file("given/deep")), 0700);
    QVERIFY(!QFileInfo::exists(data.file("xdg")));
}

void TestInstall::settingsBesideTheInstalledProgramMakeItPortable()
{
    TestProgramDirectory data;
    const QString settings = prefixed("bin/quillet.ini");
    {
        QFile file(settings);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Config]\nLastCompany=Beside The Program\n");
    }
    const Run info = runProgram(cli(), {"info"}, {"XDG_DATA_HOME=" + data.file("xdg")});
    QFile::remove(settings);
    QVERIFY2(info.code == 0, qPrintable(info.err));
    QCOMPARE(infoValue(info.out, "ProgramDirectory"), prefixed("bin/"));
    QCOMPARE(
        infoValue(info.out, "ProgramDirectoryRule"), QString("portable (the executable's folder holds quillet.ini)"));
    QCOMPARE(infoValue(info.out, "LastCompany"), QString("Beside The Program"));
    QVERIFY(!QFileInfo::exists(data.file("xdg")));
}

void TestInstall::copiedExecutableIsPortable()
{
    TestProgramDirectory data;
    TestProgramDirectory portable;
    QVERIFY(QFile::copy(cli(), portable.file("quillet-cli")));
    const Run info = runProgram(portable.file("quillet-cli"), {"info"}, {"XDG_DATA_HOME=" + data.file("xdg")});
    QVERIFY2(info.code == 0, qPrintable(info.err));
    QCOMPARE(infoValue(info.out, "ProgramDirectory"), portable.path());
    QCOMPARE(infoValue(info.out, "ProgramDirectoryRule"), QString("portable (the executable's folder is writable)"));
    QVERIFY(!QFileInfo::exists(data.file("xdg")));
}

void TestInstall::unwritableFolderFallsBackToTheUserFolder()
{
    if (::geteuid() == 0)
        QSKIP("every folder is writable for root; test_program_directory covers the rule");
    TestProgramDirectory data;
    TestProgramDirectory portable;
    QVERIFY(QFile::copy(cli(), portable.file("quillet-cli")));
    QVERIFY(QFile::setPermissions(portable.path(), QFile::ReadOwner | QFile::ExeOwner));
    const Run info = runProgram(portable.file("quillet-cli"), {"info"}, {"XDG_DATA_HOME=" + data.file("xdg")});
    QFile::setPermissions(portable.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(info.code == 0, qPrintable(info.err));
    QCOMPARE(infoValue(info.out, "ProgramDirectory"), data.file("xdg/quillet/"));
    QCOMPARE(infoValue(info.out, "ProgramDirectoryRule"),
        QString("user data ($XDG_DATA_HOME/quillet; the executable's folder is not writable)"));
}

void TestInstall::installedProgramStartsOnAnEmptyUserFolder()
{
    TestProgramDirectory data;
    const Run start
        = runProgram(prefixed("bin/quillet"), {"--exit-after-start"}, {"XDG_DATA_HOME=" + data.file("xdg")});
    QVERIFY2(start.code == 0, qPrintable(start.err));
    const QString folder = data.file("xdg/quillet/");
    QCOMPARE(modeOf(folder), 0700);
    for (const char* file : {"quillet.ini", "Programs.DAT", "Sites.DAT", "ProgSite.DAT"})
        QVERIFY2(QFileInfo(folder + file).isFile(), file);
    // The command-line tool finds the same folder and its fresh tables.
    const Run info = runProgram(cli(), {"info"}, {"XDG_DATA_HOME=" + data.file("xdg")});
    QCOMPARE(infoValue(info.out, "ProgramDirectory"), folder);
    QCOMPARE(infoValue(info.out, "Sites rows"), QString("0"));
    QCOMPARE(infoValue(info.out, "Programs rows"), QString("0"));
}

void TestInstall::pageCommandsRunInTheInstalledHelper()
{
    // quillet-cli hands capture and fill to its helper in libexec/quillet,
    // which answers as the command itself would.
    TestProgramDirectory data;
    const Run help = runProgram(cli(), {"--dir", data.path(), "fill", "--help"});
    QVERIFY2(help.code == 0, qPrintable(help.err));
    QVERIFY2(help.out.startsWith("Usage: quillet-cli [--dir DIR] fill"), qPrintable(help.out));
    QVERIFY(help.out.contains("--site <NAME>"));
    const Run usage = runProgram(cli(), {"--dir", data.path(), "capture", "page.html"});
    QCOMPARE(usage.code, 2);
    QCOMPARE(usage.err, QString("capture: give URL, --site NAME and --program NAME\n"));
}

void TestInstall::installedProgramsFindTheShippedLanguages()
{
    TestProgramDirectory data;
    const QStringList environment {"XDG_DATA_HOME=" + data.file("xdg")};
    const QString shipped = QFileInfo(prefixed("share/quillet/lang")).canonicalFilePath() + "/";
    Run info = runProgram(cli(), {"info"}, environment);
    QVERIFY2(info.code == 0, qPrintable(info.err));
    QCOMPARE(infoValue(info.out, "Languages"), QString("English, French, German"));

    // The shipped file is the one in force; messages of the command-line tool follow it.
    const QString folder = data.file("xdg/quillet/");
    QFile settings(folder + "quillet.ini");
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[Config]\nLanguage=German\n");
    settings.close();
    info = runProgram(cli(), {"info"}, environment);
    QCOMPARE(QFileInfo(infoValue(info.out, "LanguageFile")).canonicalFilePath(), shipped + "German.lng");
    const Run import = runProgram(cli(), {"import-pad", data.file("missing.xml")}, environment);
    QCOMPARE(import.code, 1);
    QCOMPARE(import.err.trimmed(), data.file("missing.xml") + " existiert nicht.");

    // A file of the same name in the program directory wins and is listed once.
    QFile own(folder + "German.lng");
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("[Messages]\ndoes not exist.=fehlt (eigene Datei).\n");
    own.close();
    info = runProgram(cli(), {"info"}, environment);
    QCOMPARE(infoValue(info.out, "LanguageFile"), folder + "German.lng");
    QCOMPARE(infoValue(info.out, "Languages"), QString("English, French, German"));
    const Run ownImport = runProgram(cli(), {"import-pad", data.file("missing.xml")}, environment);
    QCOMPARE(ownImport.err.trimmed(), data.file("missing.xml") + " fehlt (eigene Datei).");
}

QTEST_MAIN(TestInstall)
#include "TestInstall.moc"
