#include "FileSaver.h"
#include "IniDocument.h"
#include "QuilletError.h"
#include "RegularFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Problem = RegularFile::Problem;

class TestRegularFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void regularFilesAndLinksToThemOpen();
    void otherKindsAreRefused_data();
    void otherKindsAreRefused();
    void fifoIsRefusedWithoutWaiting();
    void iniDocumentTreatsAFifoAsUnreadable();
    void problemTexts();
    void ownerOnlyFilesAreCreated0600();
    void existingFileKeepsItsMode();
    void failedSaveLeavesTheOldFile();
};

void TestRegularFile::regularFilesAndLinksToThemOpen()
{
    TestProgramDirectory dir;
    dir.writeFile("plain.txt", "hello\n");
    QVERIFY(QFile::link(dir.file("plain.txt"), dir.file("link.txt")));
    for (const char* name : {"plain.txt", "link.txt"}) {
        QFile file;
        QCOMPARE(RegularFile::open(file, dir.file(name)), Problem::None);
        QVERIFY(file.isOpen());
        QCOMPARE(file.readAll(), QByteArray("hello\n"));
    }
    // An empty regular file is a file.
    dir.writeFile("empty.txt", "");
    QFile empty;
    QCOMPARE(RegularFile::open(empty, dir.file("empty.txt")), Problem::None);
    QCOMPARE(empty.size(), 0);
}

void TestRegularFile::otherKindsAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("problem");
    QTest::newRow("missing") << "nothing.txt" << int(Problem::Missing);
    QTest::newRow("dangling link") << "dangling" << int(Problem::Missing);
    QTest::newRow("folder") << "folder" << int(Problem::Folder);
    QTest::newRow("link to folder") << "folderlink" << int(Problem::Folder);
    QTest::newRow("missing folder on the way") << "nothing/inside.txt" << int(Problem::Missing);
    QTest::newRow("character device") << "/dev/null" << int(Problem::NotRegular);
    QTest::newRow("terminal device") << "/dev/tty" << int(Problem::NotRegular);
}

void TestRegularFile::otherKindsAreRefused()
{
    QFETCH(QString, name);
    QFETCH(int, problem);
    TestProgramDirectory dir;
    QVERIFY(QDir().mkdir(dir.file("folder")));
    QVERIFY(QFile::link(dir.file("folder"), dir.file("folderlink")));
    QVERIFY(QFile::link(dir.file("gone"), dir.file("dangling")));
    const QString path = name.startsWith('/') ? name : dir.file(name);
    if (name == "/dev/tty" && !QFileInfo::exists(path))
        QSKIP("no /dev/tty here");
    QFile file;
    QString reason;
    const Problem found = RegularFile::open(file, path, &reason);
    // Opening /dev/tty without a terminal fails before its kind is known.
    if (name == "/dev/tty" && found == Problem::Unreadable)
        QVERIFY(!reason.isEmpty());
    else
        QCOMPARE(int(found), problem);
    QVERIFY(!file.isOpen());
}

void TestRegularFile::fifoIsRefusedWithoutWaiting()
{
    TestProgramDirectory dir;
    TestFifo fifo(dir.file("pipe"));
    Problem found = Problem::None;
    QVERIFY(fifo.returnsPromptly([&] {
        QFile file;
        found = RegularFile::open(file, fifo.path());
    }));
    QCOMPARE(found, Problem::NotRegular);
    QString text;
    QVERIFY(fifo.returnsPromptly([&] {
        QFile file;
        try {
            RegularFile::openOrRaise(file, fifo.path());
        } catch (const QuilletError& error) {
            text = error.text();
        }
    }));
    QCOMPARE(text, fifo.path() + " is not a regular file.");
    // Nor opened for appending, with or without a reader.
    found = Problem::None;
    const auto openForAppend = [&] {
        QFile pipe;
        found = RegularFile::openForAppend(pipe, fifo.path());
    };
    QVERIFY(fifo.returnsPromptly(openForAppend));
    QCOMPARE(found, Problem::NotRegular);
    // With a reader at the other end the open itself would succeed: the
    // kind of file is what refuses it.
    const int reader = ::open(QFile::encodeName(fifo.path()).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    found = Problem::None;
    QVERIFY(fifo.returnsPromptly(openForAppend));
    char byte = 0;
    const ssize_t read = ::read(reader, &byte, 1);
    ::close(reader);
    QCOMPARE(found, Problem::NotRegular);
    QVERIFY(read <= 0);
}

void TestRegularFile::iniDocumentTreatsAFifoAsUnreadable()
{
    TestProgramDirectory dir;
    TestFifo fifo(dir.file("quillet.ini"));
    IniDocument doc;
    QVERIFY(fifo.returnsPromptly([&] { doc = IniDocument::load(fifo.path()); }));
    QVERIFY(doc.isEmpty());
    // A file that could not be read is never written over.
    doc.writeString("Config", "Language", "English");
    QVERIFY_THROWS_EXCEPTION(QuilletError, doc.save(fifo.path()));
    QVERIFY(!QFileInfo(fifo.path()).isFile());
}

void TestRegularFile::problemTexts()
{
    QCOMPARE(RegularFile::problemText(Problem::Missing, "/x/a.xml"), QString("/x/a.xml does not exist."));
    QCOMPARE(RegularFile::problemText(Problem::Folder, "/x"), QString("/x is a folder."));
    QCOMPARE(RegularFile::problemText(Problem::NotRegular, "/dev/zero"), QString("/dev/zero is not a regular file."));
    QCOMPARE(RegularFile::problemText(Problem::Unreadable, "/x/a.xml", "Permission denied"),
        QString("Cannot read /x/a.xml: Permission denied"));
}

void TestRegularFile::ownerOnlyFilesAreCreated0600()
{
    TestProgramDirectory dir;
    const mode_t saved = ::umask(022);
    QVERIFY(FileSaver::save(dir.file("secret.ini"), "password=x\n", FileSaver::Access::OwnerOnly));
    QVERIFY(FileSaver::save(dir.file("plain.txt"), "text\n", FileSaver::Access::Default));
    ::umask(saved);
    struct stat status { };
    QCOMPARE(::stat(QFile::encodeName(dir.file("secret.ini")).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0600));
    QCOMPARE(::stat(QFile::encodeName(dir.file("plain.txt")).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0644));
    QCOMPARE(dir.readFile("secret.ini"), QByteArray("password=x\n"));

    // Appending: a new file is for the owner only.
    ::umask(022);
    QFile file;
    QCOMPARE(RegularFile::openForAppend(file, dir.file("new.log")), Problem::None);
    ::umask(saved);
    QVERIFY(file.write("one\n") == 4);
    file.close();
    QCOMPARE(::stat(QFile::encodeName(dir.file("new.log")).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0600));
    // An existing log readable by all is made private, and appended to.
    dir.writeFile("old.log", "before\n");
    QVERIFY(::chmod(QFile::encodeName(dir.file("old.log")).constData(), 0644) == 0);
    QCOMPARE(RegularFile::openForAppend(file, dir.file("old.log")), Problem::None);
    QVERIFY(file.write("after\n") == 6);
    file.close();
    QCOMPARE(dir.readFile("old.log"), QByteArray("before\nafter\n"));
    QCOMPARE(::stat(QFile::encodeName(dir.file("old.log")).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0600));
    // A link to a file elsewhere is not written through.
    dir.writeFile("elsewhere.txt", "theirs\n");
    QVERIFY(QFile::link(dir.file("elsewhere.txt"), dir.file("linked.log")));
    QCOMPARE(RegularFile::openForAppend(file, dir.file("linked.log")), Problem::NotRegular);
    QCOMPARE(dir.readFile("elsewhere.txt"), QByteArray("theirs\n"));
    QVERIFY(QDir().mkdir(dir.file("folder.log")));
    QCOMPARE(RegularFile::openForAppend(file, dir.file("folder.log")), Problem::Folder);
}

void TestRegularFile::existingFileKeepsItsMode()
{
    TestProgramDirectory dir;
    dir.writeFile("shared.ini", "old\n");
    QVERIFY(::chmod(QFile::encodeName(dir.file("shared.ini")).constData(), 0640) == 0);
    QVERIFY(FileSaver::save(dir.file("shared.ini"), "new\n", FileSaver::Access::OwnerOnly));
    struct stat status { };
    QCOMPARE(::stat(QFile::encodeName(dir.file("shared.ini")).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0640));
    QCOMPARE(dir.readFile("shared.ini"), QByteArray("new\n"));
}

void TestRegularFile::failedSaveLeavesTheOldFile()
{
    TestProgramDirectory dir;
    QVERIFY(QDir().mkdir(dir.file("taken")));
    QString error;
    QVERIFY(!FileSaver::save(dir.file("taken"), "bytes", FileSaver::Access::OwnerOnly, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(dir.file("taken")).isDir());
    // No temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestRegularFile)
#include "TestRegularFile.moc"
