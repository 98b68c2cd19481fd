#include "Helpers.h"
#include "MessageTranslation.h"
#include "PropertyCatalogue.h"
#include "QuilletError.h"
#include "TestSupport.h"

#include <QDir>
#include <QLocale>
#include <QTest>

class TestHelpers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void appendCondition();
    void getField_data();
    void getField();
    void countFields_data();
    void countFields();
    void firstInteger_data();
    void firstInteger();
    void firstIntegerLoneMinusRaises();
    void parseIsoDate_data();
    void parseIsoDate();
    void parseIsoDateFailureLeavesLocale();
    void capitalizeWords_data();
    void capitalizeWords();
    void stripFileNameChars();
    void fileNameWithoutExt_data();
    void fileNameWithoutExt();
    void smallPredicates();
    void appendLineToFile();
    void appendLineToFileReportsAccessError();
    void openUrlAsksFirstAndReportsFailure();
    void catalogueEntries();
    void derivedFileSizes_data();
    void derivedFileSizes();
    void derivedMegabytesUseLocale();
};

void TestHelpers::appendCondition()
{
    QCOMPARE(::appendCondition("", "PAD=True"), QString("PAD=True"));
    QCOMPARE(::appendCondition("PAD=True", "Dead=False"), QString("PAD=True AND Dead=False"));
    QCOMPARE(::appendCondition("PAD=True", ""), QString("PAD=True AND "));
}

void TestHelpers::getField_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");
    const QString line = R"(a,"b,c","d""e",f)";
    QTest::newRow("plain first") << line << 0 << "a";
    QTest::newRow("quoted comma") << line << 1 << "b,c";
    QTest::newRow("doubled quote") << line << 2 << "d\"e";
    QTest::newRow("last") << line << 3 << "f";
    QTest::newRow("beyond last") << line << 4 << "";
    const QString blanks = R"(a, "b,c", "d""e", f)";
    QTest::newRow("blank before quote keeps quotes") << blanks << 1 << "\"b,c\"";
    QTest::newRow("blank before plain field trimmed") << blanks << 3 << "f";
    QTest::newRow("empty line") << "" << 0 << "";
    QTest::newRow("empty line later index") << "" << 3 << "";
    QTest::newRow("single quote character") << "\"" << 0 << "";
    QTest::newRow("empty quoted field") << "x,\"\",y" << 1 << "";
    QTest::newRow("trailing separator") << "a," << 1 << "";
    QTest::newRow("controls trimmed") << "\t a \r,b" << 0 << "a";
    QTest::newRow("semicolon list") << "Windows 98; Windows XP;" << 1 << "Windows XP";
}

void TestHelpers::getField()
{
    QFETCH(QString, line);
    QFETCH(int, index);
    QFETCH(QString, expected);
    const QChar sep = line.contains(';') ? QChar(';') : QChar(',');
    QCOMPARE(::getField(line, sep, index), expected);
}

void TestHelpers::countFields_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("no separator") << "abc" << 1;
    QTest::newRow("three") << "a,b,c" << 3;
    QTest::newRow("quoted comma") << R"(a,"b,c",d)" << 3;
    QTest::newRow("doubled quotes toggle twice") << R"(a,"x""y,z",d)" << 3;
    QTest::newRow("trailing separator") << "a,b," << 3;
}

void TestHelpers::countFields()
{
    QFETCH(QString, line);
    QFETCH(int, expected);
    QCOMPARE(::countFields(line, ','), expected);
}

void TestHelpers::firstInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("filter") << "Rating > 3 OR Rating = Null" << qint64(3);
    QTest::newRow("embedded negative") << "x-5y" << qint64(-5);
    QTest::newRow("minus blank digit") << "- 7" << qint64(7);
    QTest::newRow("no digits") << "abc" << qint64(0);
    QTest::newRow("empty") << "" << qint64(0);
    QTest::newRow("second minus ends") << "12-3" << qint64(12);
    QTest::newRow("largest int") << "2147483647" << qint64(2147483647);
}

void TestHelpers::firstInteger()
{
    QFETCH(QString, text);
    QFETCH(qint64, expected);
    QCOMPARE(::firstInteger(text), expected);
}

void TestHelpers::firstIntegerLoneMinusRaises()
{
    for (const QString& text : {QString("Rating > -"), QString("-x"), QString("99999999999")}) {
        try {
            ::firstInteger(text);
            QFAIL(qPrintable("no error for " + text));
        } catch (const ConversionError& error) {
            QVERIFY(error.text().endsWith("' is not a valid integer value"));
        }
    }
}

void TestHelpers::parseIsoDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("no leading zeros") << "2004-1-9" << QDate(2004, 1, 9);
    QTest::newRow("leading zeros") << "2004-03-07" << QDate(2004, 3, 7);
    QTest::newRow("leap day") << "2024-2-29" << QDate(2024, 2, 29);
    QTest::newRow("no leap day") << "2023-2-29" << QDate();
    QTest::newRow("two-digit year") << "04-3-7" << QDate();
    QTest::newRow("slashes") << "2004/3/7" << QDate();
    QTest::newRow("empty day") << "2004-3-" << QDate();
    QTest::newRow("month 13") << "2004-13-1" << QDate();
    QTest::newRow("signs") << "2004-+3-7" << QDate();
    QTest::newRow("empty") << "" << QDate();
}

void TestHelpers::parseIsoDate()
{
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    if (expected.isValid()) {
        QCOMPARE(::parseIsoDate(text), expected);
        return;
    }
    try {
        ::parseIsoDate(text);
        QFAIL("no error");
    } catch (const ConversionError& error) {
        QCOMPARE(error.text(), "'" + text + "' is not a valid date");
    }
}

void TestHelpers::parseIsoDateFailureLeavesLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString before = QLocale().toString(QDate(2004, 3, 7), QLocale::ShortFormat);
    QVERIFY_THROWS_EXCEPTION(ConversionError, ::parseIsoDate("not a date"));
    QCOMPARE(QLocale().toString(QDate(2004, 3, 7), QLocale::ShortFormat), before);
    QCOMPARE(QLocale().dateFormat(QLocale::ShortFormat), QLocale(QLocale::German).dateFormat(QLocale::ShortFormat));
    QLocale::setDefault(saved);
}

void TestHelpers::capitalizeWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("example") << "hello world-wide 3d"
                             << "Hello World-Wide 3D";
    QTest::newRow("upper case") << "COMPANY_NAME"
                                << "Company_Name";
    QTest::newRow("accented") << QString::fromUtf8("ÉCOLE élan") << QString::fromUtf8("École Élan");
    QTest::newRow("empty") << ""
                           << "";
}

void TestHelpers::capitalizeWords()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(::capitalizeWords(text), expected);
}

void TestHelpers::stripFileNameChars()
{
    QCOMPARE(::stripFileNameChars("a/b?c"), QString("abc"));
    QCOMPARE(::stripFileNameChars("x:y"), QString("x:y"));
    QCOMPARE(::stripFileNameChars("\"*/;<>?|\\:\t"), QString("\\:\t"));
}

void TestHelpers::fileNameWithoutExt_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("windows path") << "C:\\dir\\English.lng"
                                  << "English";
    QTest::newRow("unix path") << "/opt/quillet/Deutsch.lng"
                               << "Deutsch";
    QTest::newRow("no extension") << "/opt/quillet/README"
                                  << "";
    QTest::newRow("extension repeated") << "a.lng.lng"
                                        << "a";
    QTest::newRow("dot in folder only") << "/a.b/name"
                                        << "";
}

void TestHelpers::fileNameWithoutExt()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(::fileNameWithoutExt(path), expected);
}

void TestHelpers::smallPredicates()
{
    QVERIFY(isEmailAddress("submit@example.test"));
    QVERIFY(!isEmailAddress("http://example.test/submit"));
    QVERIFY(listContains("Acme", {"acme", "Acme"}));
    QVERIFY(!listContains("ACME", {"acme", "Acme"}));
    QVERIFY(getTempFolder().endsWith('/'));
    QVERIFY(QDir(getTempFolder()).exists());
}

void TestHelpers::appendLineToFile()
{
    TestProgramDirectory dir;
    QVERIFY(::appendLineToFile(dir.file("QuilletMail.log"), "first"));
    QVERIFY(::appendLineToFile(dir.file("QuilletMail.log"), QString::fromUtf8("zweite Zeile ü")));
    QCOMPARE(dir.readFile("QuilletMail.log"), QByteArray("first\r\nzweite Zeile \xc3\xbc\r\n"));
}

void TestHelpers::appendLineToFileReportsAccessError()
{
    TestProgramDirectory dir;
    QVERIFY(QDir().mkdir(dir.file("log")));
    RecordingMessageSink sink;
    QVERIFY(!::appendLineToFile(dir.file("log"), "line"));
    QCOMPARE(sink.messages.size(), 1);
    QCOMPARE(sink.messages.first().text, "Could not access " + dir.file("log"));
    QCOMPARE(sink.messages.first().title, QString("Access Error"));
}

void TestHelpers::openUrlAsksFirstAndReportsFailure()
{
    QStringList opened;
    bool launcherSucceeds = true;
    installUrlLauncher([&](const QString& address) {
        opened.append(address);
        return launcherSucceeds;
    });
    RecordingMessageSink sink;

    sink.setNextAnswer(MessageSink::Answer::No);
    QVERIFY(!openUrl("https://example.test/", true));
    QVERIFY(opened.isEmpty());
    QCOMPARE(sink.questions.size(), 1);
    QCOMPARE(sink.questions.first().text, QString("Connect to the Internet now?"));

    sink.setNextAnswer(MessageSink::Answer::Yes);
    QVERIFY(openUrl("https://example.test/", true));
    QCOMPARE(opened, QStringList({"https://example.test/"}));

    launcherSucceeds = false;
    installMessageTranslator([](const QString& text) { return "[" + text + "]"; });
    QVERIFY(!openUrl("https://example.test/", false));
    QCOMPARE(sink.questions.size(), 2);
    QCOMPARE(sink.messages.size(), 1);
    QCOMPARE(sink.messages.first().text, QString("[Could not start your Internet browser]"));
    QCOMPARE(sink.messages.first().title, QString("[Launch Error]"));
    installMessageTranslator({});
    installUrlLauncher([](const QString&) { return false; });
}

void TestHelpers::catalogueEntries()
{
    const PropertyCatalogue properties;
    QCOMPARE(int(properties.items.size()), 47);
    for (const CatalogueEntry& entry : properties.items) {
        QVERIFY(entry.value.isEmpty());
        QVERIFY(entry.inPowerPaste);
    }
    QCOMPARE(properties[0].caption, QString("Company"));
    QCOMPARE(properties[12].fieldName, QString("Links"));
    QVERIFY(properties[13].caption.isEmpty() && properties[13].fieldName.isEmpty());
    QCOMPARE(properties[14].fieldName, QString("ProgramName"));
    QCOMPARE(properties[20].fieldName, QString("FileSize"));
    QCOMPARE(properties[22].caption, QString("File date"));
    QCOMPARE(properties[22].fieldName, QString("VersionDate"));
    QCOMPARE(properties[44].caption, QString("Desc2000"));
    QCOMPARE(properties[44].fieldName, QString("Desc800"));
    QCOMPARE(properties[45].caption, QString("Changes"));
    QCOMPARE(properties[46].caption, QString("PAD Path"));
    QCOMPARE(properties[46].fieldName, QString("PadPath"));
}

void TestHelpers::derivedFileSizes_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("kb");
    QTest::addColumn<QString>("mb");
    QTest::newRow("1023") << "1023"
                          << "0"
                          << "0.00";
    QTest::newRow("1048576") << "1048576"
                             << "1024"
                             << "1.00";
    QTest::newRow("1536000") << "1536000"
                             << "1500"
                             << "1.46";
    QTest::newRow("empty") << ""
                           << "0"
                           << "0.00";
    QTest::newRow("large") << "2000000000"
                           << "1953125"
                           << "1907.35";
}

void TestHelpers::derivedFileSizes()
{
    QFETCH(QString, stored);
    QFETCH(QString, kb);
    QFETCH(QString, mb);
    PropertyCatalogue properties;
    properties.setFileSize(stored);
    QCOMPARE(properties[PropertyCatalogue::FileSize].value, stored);
    QCOMPARE(properties[PropertyCatalogue::FileSizeKB].value, kb);
    QCOMPARE(properties[PropertyCatalogue::FileSizeMB].value, mb);
}

void TestHelpers::derivedMegabytesUseLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    PropertyCatalogue properties;
    properties.setFileSize("1536000");
    QCOMPARE(properties[PropertyCatalogue::FileSizeMB].value, QString("1,46"));
    QLocale::setDefault(saved);
}

QTEST_GUILESS_MAIN(TestHelpers)
#include "TestHelpers.moc"
