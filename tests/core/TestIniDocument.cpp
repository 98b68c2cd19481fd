#include "IniDocument.h"
#include "QuilletError.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTest>

class TestIniDocument : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesMatchWithoutCase();
    void valueIsRestOfLineTrimmed();
    void firstSectionAndKeyWin();
    void integers_data();
    void integers();
    void booleansReadAsIntegers();
    void writesKeepUnrelatedLines();
    void writeAddsKeyAfterLastLineOfSection();
    void eraseSectionRemovesEveryCopy();
    void crLfFilesStayCrLf();
    void windows1252FileIsRead();
    void quotesStrippedOnlyWhenAsked();
    void doubleFollowsLocale();
    void refusedWriteRaisesUnableToWrite();
    void lineBreakInValueDoesNotSplitTheFile();
};

void TestIniDocument::namesMatchWithoutCase()
{
    TestProgramDirectory dir;
    dir.writeFile("a.ini", "[Config]\nLanguage=Deutsch\n");
    const IniDocument doc = IniDocument::load(dir.file("a.ini"));
    QCOMPARE(doc.readString("config", "LANGUAGE", "x"), QString("Deutsch"));
    QVERIFY(doc.hasSection("CONFIG"));
    QCOMPARE(doc.readString("Config", "Missing", "default"), QString("default"));
    QCOMPARE(doc.readString("Other", "Language", "default"), QString("default"));
}

void TestIniDocument::valueIsRestOfLineTrimmed()
{
    TestProgramDirectory dir;
    dir.writeFile("a.ini", "[S]\n  key one =  a = b  \n;comment=1\nquoted=\"q\"\n");
    const IniDocument doc = IniDocument::load(dir.file("a.ini"));
    QCOMPARE(doc.readString("S", "key one", ""), QString("a = b"));
    QCOMPARE(doc.readString("S", "quoted", ""), QString("\"q\""));
    QCOMPARE(doc.readString("S", ";comment", "none"), QString("none"));
    QCOMPARE(doc.keys("S"), QStringList({"key one", "quoted"}));
}

void TestIniDocument::firstSectionAndKeyWin()
{
    TestProgramDirectory dir;
    dir.writeFile("a.ini", "[A]\nk=1\nk=2\n[B]\n[a]\nk=3\n");
    const IniDocument doc = IniDocument::load(dir.file("a.ini"));
    QCOMPARE(doc.readString("A", "k", ""), QString("1"));
    QCOMPARE(doc.sectionNames(), QStringList({"A", "B"}));
}

void TestIniDocument::integers_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << "42" << 42;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("hex lower") << "0x1F" << 31;
    QTest::newRow("hex upper") << "0XfF" << 255;
    QTest::newRow("hex full width") << "0xFFFFFFFF" << -1;
    QTest::newRow("letters") << "abc" << 7;
    QTest::newRow("digits then letters") << "12abc" << 7;
    QTest::newRow("empty") << "" << 7;
    QTest::newRow("bad hex") << "0xZZ" << 7;
    QTest::newRow("too large") << "99999999999" << 7;
}

void TestIniDocument::integers()
{
    QFETCH(QString, stored);
    QFETCH(int, expected);
    TestProgramDirectory dir;
    dir.writeFile("a.ini", ("[S]\nn=" + stored + "\n").toUtf8());
    QCOMPARE(IniDocument::load(dir.file("a.ini")).readInteger("S", "n", 7), expected);
}

void TestIniDocument::booleansReadAsIntegers()
{
    TestProgramDirectory dir;
    dir.writeFile("a.ini", "[S]\none=1\nzero=0\ntwo=2\nword=True\n");
    const IniDocument doc = IniDocument::load(dir.file("a.ini"));
    QCOMPARE(doc.readBool("S", "one", false), true);
    QCOMPARE(doc.readBool("S", "zero", true), false);
    QCOMPARE(doc.readBool("S", "two", false), true);
    // "True" is no integer: the default holds.
    QCOMPARE(doc.readBool("S", "word", false), false);
    QCOMPARE(doc.readBool("S", "word", true), true);
}

void TestIniDocument::writesKeepUnrelatedLines()
{
    TestProgramDirectory dir;
    const QByteArray original = "; my notes\n[First]\nKeep = this   \nvalue=old\n\n[Second]\nother=1\n";
    dir.writeFile("a.ini", original);
    IniFile file(dir.file("a.ini"));
    file.writeString("FIRST", "Value", "new");
    QCOMPARE(
        dir.readFile("a.ini"), QByteArray("; my notes\n[First]\nKeep = this   \nValue=new\n\n[Second]\nother=1\n"));
}

void TestIniDocument::writeAddsKeyAfterLastLineOfSection()
{
    TestProgramDirectory dir;
    dir.writeFile("a.ini", "[First]\na=1\n\n[Second]\nb=2\n");
    IniFile file(dir.file("a.ini"));
    file.writeString("First", "c", "3");
    file.writeString("Third", "d", "4");
    QCOMPARE(dir.readFile("a.ini"), QByteArray("[First]\na=1\nc=3\n\n[Second]\nb=2\n[Third]\nd=4\n"));
}

void TestIniDocument::eraseSectionRemovesEveryCopy()
{
    TestProgramDirectory dir;
    dir.writeFile("a.ini", "[Company]\nCompany=X\n[Keep]\nk=1\n[company]\nCity=Y\n");
    IniFile(dir.file("a.ini")).eraseSection("COMPANY");
    QCOMPARE(dir.readFile("a.ini"), QByteArray("[Keep]\nk=1\n"));
}

void TestIniDocument::crLfFilesStayCrLf()
{
    TestProgramDirectory dir;
    dir.writeFile("a.ini", "[S]\r\na=1\r\n");
    IniFile(dir.file("a.ini")).writeInteger("S", "b", 2);
    QCOMPARE(dir.readFile("a.ini"), QByteArray("[S]\r\na=1\r\nb=2\r\n"));
}

void TestIniDocument::windows1252FileIsRead()
{
    TestProgramDirectory dir;
    dir.writeFile("a.ini", "[S]\nname=Caf\xe9 \x80\n");
    QCOMPARE(IniDocument::load(dir.file("a.ini")).readString("S", "name", ""), QString::fromUtf8("Café €"));
}

void TestIniDocument::quotesStrippedOnlyWhenAsked()
{
    TestProgramDirectory dir;
    dir.writeFile("a.ini", "[S]\nd=\"double\"\ns='single'\nm=\"mixed'\nlone=\"\n");
    IniDocument doc = IniDocument::load(dir.file("a.ini"));
    QCOMPARE(doc.readString("S", "d", ""), QString("\"double\""));
    doc.setStripQuotes(true);
    QCOMPARE(doc.readString("S", "d", ""), QString("double"));
    QCOMPARE(doc.readString("S", "s", ""), QString("single"));
    QCOMPARE(doc.readString("S", "m", ""), QString("\"mixed'"));
    QCOMPARE(doc.readString("S", "lone", ""), QString("\""));
}

void TestIniDocument::doubleFollowsLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    IniDocument doc;
    doc.writeDouble("Options", "SiteVer", 2.5);
    QCOMPARE(doc.readString("Options", "SiteVer", ""), QString("2,5"));
    QCOMPARE(doc.readDouble("Options", "SiteVer", 1.0), 2.5);
    doc.writeString("Options", "SiteVer", "2.5x");
    QCOMPARE(doc.readDouble("Options", "SiteVer", 1.0), 1.0);
    QLocale::setDefault(QLocale::c());
    doc.writeDouble("Options", "SiteVer", 1234567.25);
    QCOMPARE(doc.readString("Options", "SiteVer", ""), QString("1234567.25"));
    QLocale::setDefault(saved);
}

void TestIniDocument::refusedWriteRaisesUnableToWrite()
{
    TestProgramDirectory dir;
    // A folder where the file should be: the write is refused even for root.
    QVERIFY(QDir().mkdir(dir.file("quillet.ini")));
    IniFile file(dir.file("quillet.ini"));
    try {
        file.writeString("S", "k", "v");
        QFAIL("the write succeeded");
    } catch (const QuilletError& error) {
        QCOMPARE(error.text(), "Unable to write to " + dir.file("quillet.ini"));
    }
    QVERIFY(QFileInfo(dir.file("quillet.ini")).isDir());
}

void TestIniDocument::lineBreakInValueDoesNotSplitTheFile()
{
    TestProgramDirectory dir;
    IniFile file(dir.file("a.ini"));
    file.writeString("S", "k", "one\r\ntwo\nthree");
    file.writeString("S", "next", "x");
    QCOMPARE(file.readString("S", "k", ""), QString("one two three"));
    QCOMPARE(file.readString("S", "next", ""), QString("x"));
}

QTEST_GUILESS_MAIN(TestIniDocument)
#include "TestIniDocument.moc"
