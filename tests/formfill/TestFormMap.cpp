#include "FormMap.h"
#include "QuilletError.h"
#include "TestSupport.h"

#include <QFile>
#include <QTest>

class TestFormMap : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newMapHasExactBytes();
    void replacingKeepsPlaceAndAppendsNew();
    void firstElementOfAKeyWins();
    void keysWithQuotesAndMarkupRoundTrip();
    void elementWithoutDataField();
    void controlCharactersAreRefused();
    void otherContentIsKeptOnRewrite();
    void windows1252WithoutDeclarationIsRead();
    void declaredEncodingsAreRead();
    void instructionNamedLikeADeclarationDeclaresNothing();
    void unreadableMapsAreReported_data();
    void unreadableMapsAreReported();
    void saveReplacesAtomicallyAndReportsFailure();
};

void TestFormMap::newMapHasExactBytes()
{
    FormMap map;
    QCOMPARE(map.toXml(), QByteArray("<XML_SITE_SUBMIT_INFO/>\r\n"));
    QVERIFY(map.setControl(QStringLiteral("title"), QStringLiteral("text"), QStringLiteral("Program")));
    QVERIFY(map.setControl(QStringLiteral("agreeyes"), QStringLiteral("checkbox"), QString()));
    QCOMPARE(map.toXml(),
        QByteArray("<XML_SITE_SUBMIT_INFO><CONTROL Name=\"title\" Type=\"text\" DataField=\"Program\"/>"
                   "<CONTROL Name=\"agreeyes\" Type=\"checkbox\" DataField=\"\"/></XML_SITE_SUBMIT_INFO>\r\n"));
}

void TestFormMap::replacingKeepsPlaceAndAppendsNew()
{
    const FormMap loaded
        = FormMap::parse("<XML_SITE_SUBMIT_INFO><CONTROL Name=\"a\" Type=\"text\" DataField=\"Program\" "
                         "Extra=\"x\"/><CONTROL Name=\"b\" Type=\"text\" DataField=\"\"/>"
                         "</XML_SITE_SUBMIT_INFO>\r\n",
            QStringLiteral("m.xml"));
    FormMap map = loaded;
    QVERIFY(map.setControl(QStringLiteral("c"), QStringLiteral("radio"), QString()));
    QVERIFY(map.setControl(QStringLiteral("a"), QStringLiteral("textarea"), QStringLiteral("Version")));
    const QVector<FormMap::Control> controls = map.controls();
    QCOMPARE(controls.size(), 3);
    QCOMPARE(controls.at(0).name, QStringLiteral("a"));
    QCOMPARE(controls.at(0).type, QStringLiteral("textarea"));
    QCOMPARE(controls.at(0).dataField, QStringLiteral("Version"));
    QCOMPARE(controls.at(1).name, QStringLiteral("b"));
    QCOMPARE(controls.at(2).name, QStringLiteral("c"));
    // The replaced element is a new one: the old element's other attributes go with it.
    QVERIFY(!map.toXml().contains("Extra"));
    QCOMPARE(map.dataField(QStringLiteral("c")), std::optional<QString>(QString()));
    QCOMPARE(map.dataField(QStringLiteral("d")), std::nullopt);
}

void TestFormMap::firstElementOfAKeyWins()
{
    FormMap map = FormMap::parse("<XML_SITE_SUBMIT_INFO><CONTROL Name=\"k\" Type=\"text\" DataField=\"Program\"/>"
                                 "<CONTROL Name=\"k\" Type=\"text\" DataField=\"Version\"/></XML_SITE_SUBMIT_INFO>",
        QStringLiteral("m.xml"));
    QCOMPARE(map.dataField(QStringLiteral("k")).value(), QStringLiteral("Program"));
    QVERIFY(map.setControl(QStringLiteral("k"), QStringLiteral("text"), QStringLiteral("OS")));
    QCOMPARE(map.controls().at(0).dataField, QStringLiteral("OS"));
    QCOMPARE(map.controls().at(1).dataField, QStringLiteral("Version"));
    // Names are compared exactly.
    QCOMPARE(map.dataField(QStringLiteral("K")), std::nullopt);
}

void TestFormMap::keysWithQuotesAndMarkupRoundTrip()
{
    const QStringList keys = {QStringLiteral("say \"hi\""), QStringLiteral("a<b>&c'd"), QStringLiteral("tab\there"),
        QStringLiteral("line\nbreak"), QStringLiteral("\u00e9t\u00e9 \u4e2d"), QString()};
    FormMap map;
    for (const QString& key : keys)
        QVERIFY(map.setControl(key, QStringLiteral("text"), QStringLiteral("Field ") + key));
    const FormMap reread = FormMap::parse(map.toXml(), QStringLiteral("m.xml"));
    QCOMPARE(reread.controls().size(), keys.size());
    for (const QString& key : keys)
        QCOMPARE(reread.dataField(key).value_or(QStringLiteral("<missing>")), QStringLiteral("Field ") + key);
}

void TestFormMap::elementWithoutDataField()
{
    const FormMap map = FormMap::parse("<XML_SITE_SUBMIT_INFO><CONTROL Name=\"k\"/><CONTROL Type=\"text\"/>"
                                       "</XML_SITE_SUBMIT_INFO>",
        QStringLiteral("m.xml"));
    QCOMPARE(map.dataField(QStringLiteral("k")), std::optional<QString>(QString()));
    // An element without Name is no element of the empty key.
    QCOMPARE(map.dataField(QString()), std::nullopt);
}

void TestFormMap::controlCharactersAreRefused()
{
    FormMap map;
    QVERIFY(!map.setControl(QStringLiteral("bell\x07"), QStringLiteral("text"), QString()));
    QVERIFY(!map.setControl(QStringLiteral("k"), QStringLiteral("text"), QString(QChar(0xFFFF))));
    QVERIFY(!map.setControl(QStringLiteral("k"), QString(QChar(0xD800)), QString()));
    QVERIFY(map.controls().isEmpty());
    QCOMPARE(map.toXml(), QByteArray("<XML_SITE_SUBMIT_INFO/>\r\n"));
}

void TestFormMap::otherContentIsKeptOnRewrite()
{
    const QByteArray original = "<?xml version=\"1.0\"?>\n<!-- site notes -->\n<XML_SITE_SUBMIT_INFO>\n"
                                "  <NOTE lang=\"en\">keep <b>me</b></NOTE>\n"
                                "  <CONTROL Name=\"x\" Type=\"text\" DataField=\"\"/>\n"
                                "  <?app data?>\n</XML_SITE_SUBMIT_INFO>\n";
    FormMap map = FormMap::parse(original, QStringLiteral("m.xml"));
    QVERIFY(map.setControl(QStringLiteral("y"), QStringLiteral("text"), QStringLiteral("Program")));
    QCOMPARE(map.toXml(),
        QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- site notes -->\r\n<XML_SITE_SUBMIT_INFO>"
                   "<NOTE lang=\"en\">keep <b>me</b></NOTE><CONTROL Name=\"x\" Type=\"text\" DataField=\"\"/>"
                   "<?app data?><CONTROL Name=\"y\" Type=\"text\" DataField=\"Program\"/></XML_SITE_SUBMIT_INFO>\r\n"));
}

void TestFormMap::windows1252WithoutDeclarationIsRead()
{
    // "Télécharger" and a euro sign, written in the Windows code page.
    const QByteArray bytes = "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"prix\x80\" Type=\"text\" "
                             "DataField=\"T\xe9l\xe9\x63harger\"/></XML_SITE_SUBMIT_INFO>\r\n";
    const FormMap map = FormMap::parse(bytes, QStringLiteral("m.xml"));
    QCOMPARE(map.dataField(QStringLiteral("prix\u20ac")).value(), QStringLiteral("T\u00e9l\u00e9charger"));
    // Written back as UTF-8.
    QVERIFY(map.toXml().contains("T\xc3\xa9l\xc3\xa9"));
}

void TestFormMap::declaredEncodingsAreRead()
{
    const FormMap latin = FormMap::parse("<?xml version=\"1.0\" encoding=\"windows-1252\"?><XML_SITE_SUBMIT_INFO>"
                                         "<CONTROL Name=\"n\xe9\" DataField=\"x\"/></XML_SITE_SUBMIT_INFO>",
        QStringLiteral("m.xml"));
    QCOMPARE(latin.dataField(QStringLiteral("n\u00e9")).value(), QStringLiteral("x"));

    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><XML_SITE_SUBMIT_INFO>"
                                        "<CONTROL Name=\"\u4e2d\" DataField=\"y\"/></XML_SITE_SUBMIT_INFO>");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    const FormMap wide = FormMap::parse(utf16, QStringLiteral("m.xml"));
    QCOMPARE(wide.dataField(QStringLiteral("\u4e2d")).value(), QStringLiteral("y"));

    const FormMap utf8 = FormMap::parse("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><XML_SITE_SUBMIT_INFO>"
                                        "<CONTROL Name=\"\xc3\xa9\" DataField=\"z\"/></XML_SITE_SUBMIT_INFO>",
        QStringLiteral("m.xml"));
    QCOMPARE(utf8.dataField(QStringLiteral("\u00e9")).value(), QStringLiteral("z"));
}

void TestFormMap::instructionNamedLikeADeclarationDeclaresNothing()
{
    // A processing instruction whose target starts with "xml" is no XML
    // declaration: its "encoding" names nothing. The map is read by its bytes
    // (here Windows-1252) and written back as UTF-8 that reads the same
    // (found by fuzzing).
    const QByteArray bytes = "<?xmlfoo version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
                             "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"caf\xe9\" Type=\"text\" DataField=\"\"/>"
                             "</XML_SITE_SUBMIT_INFO>\r\n";
    const FormMap map = FormMap::parse(bytes, "odd.xml");
    QCOMPARE(map.controls().size(), 1);
    QCOMPARE(map.controls().at(0).name, QString::fromUtf8("café"));
    const FormMap again = FormMap::parse(map.toXml(), "written.xml");
    QCOMPARE(again.controls().size(), 1);
    QCOMPARE(again.controls().at(0).name, QString::fromUtf8("café"));
    QCOMPARE(again.toXml(), map.toXml());
}

void TestFormMap::unreadableMapsAreReported_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("truncated") << QByteArray("<XML_SITE_SUBMIT_INFO><CONTROL Name=\"a\"");
    QTest::newRow("not xml") << QByteArray("[Section]\r\nValue=1\r\n");
    QTest::newRow("other root") << QByteArray("<html><CONTROL Name=\"a\"/></html>");
    QTest::newRow("doctype") << QByteArray("<!DOCTYPE XML_SITE_SUBMIT_INFO [<!ENTITY x \"boom\">]>"
                                           "<XML_SITE_SUBMIT_INFO><CONTROL Name=\"&x;\"/></XML_SITE_SUBMIT_INFO>");
    QTest::newRow("external entity") << QByteArray(
        "<!DOCTYPE r [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><XML_SITE_SUBMIT_INFO>&e;</XML_SITE_SUBMIT_INFO>");
    QTest::newRow("undeclared entity") << QByteArray("<XML_SITE_SUBMIT_INFO>&e;</XML_SITE_SUBMIT_INFO>");
    QTest::newRow("unknown encoding") << QByteArray(
        "<?xml version=\"1.0\" encoding=\"x-no-such\"?><XML_SITE_SUBMIT_INFO/>");
    QByteArray deep = "<XML_SITE_SUBMIT_INFO>";
    for (int i = 0; i < 200; ++i)
        deep += "<a>";
    QTest::newRow("deep nesting") << deep;
}

void TestFormMap::unreadableMapsAreReported()
{
    QFETCH(QByteArray, bytes);
    TestProgramDirectory dir;
    dir.writeFile(QStringLiteral("SiteData/Site.xml"), bytes);
    const QString path = dir.file(QStringLiteral("SiteData/Site.xml"));
    try {
        FormMap::load(path);
        QFAIL("no error raised");
    } catch (const QuilletError& error) {
        QVERIFY2(error.text().contains(path), qPrintable(error.text()));
    }
}

void TestFormMap::saveReplacesAtomicallyAndReportsFailure()
{
    TestProgramDirectory dir;
    const QString path = dir.file(QStringLiteral("map.xml"));
    dir.writeFile(QStringLiteral("map.xml"), "old");
    FormMap map;
    map.setControl(QStringLiteral("a"), QStringLiteral("text"), QString());
    map.save(path);
    QCOMPARE(dir.readFile(QStringLiteral("map.xml")), map.toXml());

    // A folder in the way: the save fails with the file's name and nothing is left behind.
    dir.writeFile(QStringLiteral("blocked/x"), "x");
    const QString blocked = dir.file(QStringLiteral("blocked"));
    try {
        map.save(blocked);
        QFAIL("no error raised");
    } catch (const QuilletError& error) {
        QVERIFY2(error.text().startsWith(QStringLiteral("Unable to write to ") + blocked), qPrintable(error.text()));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("map.xml")});
}

QTEST_GUILESS_MAIN(TestFormMap)
#include "TestFormMap.moc"
