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
    void oneStrayByteSpoilsOnlyItsLine();
    void unchangedLinesKeepTheirBytes();
    void byteOrderMarksStay();
    void utf16FilesAreReadAndWrittenAsUtf16_data();
    void utf16FilesAreReadAndWrittenAsUtf16();
    void namesThatReadBackAsOthersAreRefused_data();
    void namesThatReadBackAsOthersAreRefused();
    void sectionIndexFollowsWrites();
    void manySectionsAreFoundAndListedOnce();
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
    // A lone CR ends a line as well: alone, after UTF-8 text, beside CR LF and LF.
    for (const char* bytes : {"[S]\ra=1\rb=2", "[S]\ra=\xc3\xa9\rb=2", "[S]\r\na=1\rb=2\nc=3"}) {
        dir.writeFile("a.ini", bytes);
        const IniDocument doc = IniDocument::load(dir.file("a.ini"));
        QVERIFY2(doc.readInteger("S", "b", -1) == 2, bytes);
        QVERIFY2(doc.readString("S", "a", "").size() == 1, bytes);
    }
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
    // Written under a locale with a decimal point, read under this one: the
    // point is not taken for a group separator (25), nor are group separators read.
    doc.writeString("Options", "SiteVer", "2.5");
    QCOMPARE(doc.readDouble("Options", "SiteVer", 1.0), 2.5);
    doc.writeString("Options", "SiteVer", "1.000,5");
    QCOMPARE(doc.readDouble("Options", "SiteVer", 1.0), 1.0);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    doc.writeString("Options", "SiteVer", "1,000");
    QCOMPARE(doc.readDouble("Options", "SiteVer", 1.0), 1.0);
    doc.writeString("Options", "SiteVer", "2.75");
    QCOMPARE(doc.readDouble("Options", "SiteVer", 1.0), 2.75);
    QLocale::setDefault(QLocale::c());
    doc.writeDouble("Options", "SiteVer", 1234567.25);
    QCOMPARE(doc.readString("Options", "SiteVer", ""), QString("1234567.25"));
    QCOMPARE(doc.readDouble("Options", "SiteVer", 1.0), 1234567.25);
    // Not finite, or beyond a double: the default.
    for (const char* text : {"nan", "NaN", "inf", "-inf", "1e999"}) {
        doc.writeString("Options", "SiteVer", text);
        QVERIFY2(doc.readDouble("Options", "SiteVer", 1.0) == 1.0, text);
    }
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

void TestIniDocument::oneStrayByteSpoilsOnlyItsLine()
{
    TestProgramDirectory dir;
    // UTF-8 lines beside one line of Windows-1252 (\xf6 is o with diaeresis there).
    dir.writeFile("companies.ini",
        "[M\xc3\xbcller GmbH]\r\nCity=K\xf6ln\r\nContact=Zo\xc3\xab\r\n[Caf\xc3\xa9 \xe2\x82\xac]\r\nCity=Paris\r\n");
    const IniDocument doc = IniDocument::load(dir.file("companies.ini"));
    QCOMPARE(doc.sectionNames(), QStringList({QString::fromUtf8("Müller GmbH"), QString::fromUtf8("Café €")}));
    QCOMPARE(doc.readString(QString::fromUtf8("müller gmbh"), "City", ""), QString::fromUtf8("Köln"));
    QCOMPARE(doc.readString(QString::fromUtf8("Müller GmbH"), "Contact", ""), QString::fromUtf8("Zoë"));
    QCOMPARE(doc.readString(QString::fromUtf8("Café €"), "City", ""), QString("Paris"));
}

void TestIniDocument::unchangedLinesKeepTheirBytes()
{
    TestProgramDirectory dir;
    // Mixed line ends, a Windows-1252 line, a last line without a line end.
    const QByteArray original = "; notes \xe9t\xe9\r\n[M\xc3\xbcller GmbH]\nCity=K\xf6ln\rTelNo=1\r\n[Other]\nlast=1";
    dir.writeFile("a.ini", original);
    IniFile file(dir.file("a.ini"));
    file.writeString(QString::fromUtf8("Müller GmbH"), "TelNo", QString::fromUtf8("2 Köln"));
    QCOMPARE(dir.readFile("a.ini"),
        QByteArray("; notes \xe9t\xe9\r\n[M\xc3\xbcller GmbH]\nCity=K\xf6ln\rTelNo=2 K\xc3\xb6ln\r\n[Other]\nlast=1"));
    // A write that changes nothing leaves every byte as it was.
    const QByteArray afterFirstWrite = dir.readFile("a.ini");
    file.writeString("other", "last", "1");
    QCOMPARE(dir.readFile("a.ini"), afterFirstWrite);
    // A new line after the unterminated last line gives that line an end.
    file.writeString("Other", "next", QString::fromUtf8("é"));
    QCOMPARE(dir.readFile("a.ini"), afterFirstWrite + "\r\nnext=\xc3\xa9\r\n");
    QCOMPARE(file.readString("Other", "next", ""), QString::fromUtf8("é"));
    QCOMPARE(file.readString(QString::fromUtf8("Müller GmbH"), "City", ""), QString::fromUtf8("Köln"));
}

void TestIniDocument::byteOrderMarksStay()
{
    TestProgramDirectory dir;
    dir.writeFile("bom.ini", "\xef\xbb\xbf[S]\nname=Caf\xe9\n");
    IniFile file(dir.file("bom.ini"));
    QCOMPARE(file.sectionNames(), QStringList({"S"}));
    QCOMPARE(file.readString("S", "name", ""), QString::fromUtf8("Café"));
    file.writeString("S", "k", "v");
    QCOMPARE(dir.readFile("bom.ini"), QByteArray("\xef\xbb\xbf[S]\nname=Caf\xe9\nk=v\n"));
    // A mark at the start of a later line is a character of that line, kept
    // when another line changes (found by fuzzing).
    dir.writeFile("inner.ini", "[S]\nname=Caf\xe9\n\xef\xbb\xbfk=1\n");
    IniFile inner(dir.file("inner.ini"));
    inner.writeString("S", "name", "Cafe");
    QCOMPARE(dir.readFile("inner.ini"), QByteArray("[S]\nname=Cafe\n\xef\xbb\xbfk=1\n"));
}

void TestIniDocument::utf16FilesAreReadAndWrittenAsUtf16_data()
{
    QTest::addColumn<bool>("littleEndian");
    QTest::newRow("little endian") << true;
    QTest::newRow("big endian") << false;
}

void TestIniDocument::utf16FilesAreReadAndWrittenAsUtf16()
{
    QFETCH(bool, littleEndian);
    const auto encode = [littleEndian](const QString& text) {
        QByteArray bytes = littleEndian ? QByteArray("\xff\xfe") : QByteArray("\xfe\xff");
        for (const QChar c : text) {
            const char low = char(c.cell());
            const char high = char(c.row());
            bytes.append(littleEndian ? low : high);
            bytes.append(littleEndian ? high : low);
        }
        return bytes;
    };
    TestProgramDirectory dir;
    dir.writeFile("quillet.ini",
        encode(QString::fromUtf8("[EMail]\r\nHostAddress=mail.example\r\n[Config]\r\nLastCompany=Müller 😀\r\n")));
    IniFile file(dir.file("quillet.ini"));
    QCOMPARE(file.readString("EMail", "HostAddress", "default"), QString("mail.example"));
    QCOMPARE(file.readString("Config", "LastCompany", ""), QString::fromUtf8("Müller 😀"));
    file.writeString("EMail", "From", QString::fromUtf8("zoë@example"));
    QCOMPARE(dir.readFile("quillet.ini"),
        encode(QString::fromUtf8(
            "[EMail]\r\nHostAddress=mail.example\r\nFrom=zoë@example\r\n[Config]\r\nLastCompany=Müller 😀\r\n")));
}

void TestIniDocument::namesThatReadBackAsOthersAreRefused_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::newRow("bracket in section") << "Foo]Bar"
                                        << "k";
    QTest::newRow("line break in section") << "Acme\n[Config]"
                                           << "k";
    QTest::newRow("carriage return in section") << "Acme\rGmbH"
                                                << "k";
    QTest::newRow("blank before section") << " Acme"
                                          << "k";
    QTest::newRow("blank after section") << "Acme "
                                         << "k";
    QTest::newRow("equals sign in key") << "S"
                                        << "a=b";
    QTest::newRow("key that is a header") << "S"
                                          << "[Config";
    QTest::newRow("key that is a comment") << "S"
                                           << ";k";
    QTest::newRow("line break in key") << "S"
                                       << "a\nb";
    QTest::newRow("blank after key") << "S"
                                     << "k ";
    QTest::newRow("empty key") << "S"
                               << "";
}

void TestIniDocument::namesThatReadBackAsOthersAreRefused()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    TestProgramDirectory dir;
    const QByteArray original = "[S]\nk=1\n";
    dir.writeFile("a.ini", original);
    IniFile file(dir.file("a.ini"));
    QVERIFY_THROWS_EXCEPTION(QuilletError, file.writeString(section, key, "v"));
    QCOMPARE(dir.readFile("a.ini"), original);
    // Names that read back as themselves are accepted, brackets in front included.
    file.writeString("[Acme", "Contact [main]", "v");
    QCOMPARE(file.readString("[acme", "contact [MAIN]", ""), QString("v"));
}

void TestIniDocument::sectionIndexFollowsWrites()
{
    IniDocument doc = IniDocument::fromBytes("[A]\na=1\n\n[B]\nb=1\n[a]\nx=9\n[C]\nc=1\n");
    QCOMPARE(doc.sectionNames(), QStringList({"A", "B", "C"}));
    // Inserting into the first section moves every later section down.
    doc.writeString("A", "k1", "1");
    doc.writeString("A", "k2", "2");
    doc.writeString("B", "b2", "2");
    QCOMPARE(doc.readString("C", "c", ""), QString("1"));
    QCOMPARE(doc.readString("B", "b", ""), QString("1"));
    QCOMPARE(doc.readString("B", "b2", ""), QString("2"));
    // The second [a] is not the first: its key stays hidden.
    QCOMPARE(doc.readString("A", "x", "none"), QString("none"));
    doc.writeString("D", "d", "4");
    doc.writeString("D", "e", "5");
    doc.writeString("C", "c2", "3");
    QCOMPARE(doc.sectionNames(), QStringList({"A", "B", "C", "D"}));
    QCOMPARE(doc.readString("D", "e", ""), QString("5"));
    doc.eraseSection("a");
    QCOMPARE(doc.sectionNames(), QStringList({"B", "C", "D"}));
    doc.writeString("A", "new", "1");
    QCOMPARE(QString::fromUtf8(doc.toBytes()), QString("[B]\nb=1\nb2=2\n[C]\nc=1\nc2=3\n[D]\nd=4\ne=5\n[A]\nnew=1\n"));
}

void TestIniDocument::manySectionsAreFoundAndListedOnce()
{
    QByteArray bytes;
    constexpr int count = 100000;
    bytes.reserve(count * 40);
    for (int i = 0; i < count; ++i)
        bytes += "[Company " + QByteArray::number(i) + "]\r\nCity=Town " + QByteArray::number(i) + "\r\n";
    bytes += "[company 5]\r\nCity=duplicate\r\n";
    IniDocument doc = IniDocument::fromBytes(bytes);
    const QStringList names = doc.sectionNames();
    QCOMPARE(names.size(), count);
    QCOMPARE(names.last(), QString("Company 99999"));
    QCOMPARE(doc.readString("COMPANY 99999", "City", ""), QString("Town 99999"));
    QCOMPARE(doc.readString("Company 5", "City", ""), QString("Town 5"));
    doc.writeString("Company 0", "TelNo", "1");
    QCOMPARE(doc.readString("Company 99998", "City", ""), QString("Town 99998"));
    QCOMPARE(doc.toBytes().size(), bytes.size() + qsizetype(sizeof("TelNo=1\r\n") - 1));
}

QTEST_GUILESS_MAIN(TestIniDocument)
#include "TestIniDocument.moc"
