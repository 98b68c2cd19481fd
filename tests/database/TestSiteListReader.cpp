#include "QuilletError.h"
#include "SiteListReader.h"
#include "TextDecoding.h"

#include <QBuffer>
#include <QTest>

#include <random>

namespace {

QStringList readAll(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    SiteListReader reader(buffer);
    QStringList lines;
    QString line;
    while (reader.readLine(line))
        lines.append(line);
    return lines;
}

} // namespace

class TestSiteListReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lineEnds_data();
    void lineEnds();
    void readsAsTheWholeFileSplitWould();
    void lineEndSplitBetweenReads();
    void byteOrderMarkOnlyAtTheStart();
    void eachLineDecodedOnItsOwn();
    void overlongLineIsRefused();
};

void TestSiteListReader::lineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("one break") << QByteArray("\n") << QStringList({""});
    QTest::newRow("mixed") << QByteArray("a\r\nb\rc\nd") << QStringList({"a", "b", "c", "d"});
    QTest::newRow("final break starts nothing") << QByteArray("a\r\n") << QStringList({"a"});
    QTest::newRow("blank lines stay") << QByteArray("a\n\n\r\n\rb\n") << QStringList({"a", "", "", "", "b"});
    QTest::newRow("lone CR before LF CR") << QByteArray("a\r\r\nb") << QStringList({"a", "", "b"});
    QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << QStringList({"a", "", "b"});
}

void TestSiteListReader::lineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(readAll(bytes), lines);
}

void TestSiteListReader::readsAsTheWholeFileSplitWould()
{
    // Half a megabyte of short and long lines with every kind of line end,
    // so that line ends fall on every side of the reader's buffer edges.
    std::mt19937 random(7);
    const char alphabet[] = {'a', 'b', ',', '"', ' ', '\r', '\n', '\r', '\n'};
    QByteArray bytes;
    while (bytes.size() < 512 * 1024) {
        if (random() % 50 == 0)
            bytes += QByteArray(int(random() % 70000), 'x');
        bytes += alphabet[random() % sizeof alphabet];
    }
    QCOMPARE(readAll(bytes), splitLines(decodeText(bytes)));
}

void TestSiteListReader::lineEndSplitBetweenReads()
{
    // CR as the last byte of the first read and LF as the first of the next:
    // one line end, not two.
    const qsizetype chunk = 1 << 16;
    QByteArray bytes(chunk - 1, 'a');
    bytes += "\r\nnext\r";
    QCOMPARE(readAll(bytes), QStringList({QString(chunk - 1, 'a'), "next"}));
    // A lone CR there ends its line only.
    bytes = QByteArray(chunk - 1, 'a') + "\rnext";
    QCOMPARE(readAll(bytes), QStringList({QString(chunk - 1, 'a'), "next"}));
}

void TestSiteListReader::byteOrderMarkOnlyAtTheStart()
{
    QCOMPARE(readAll("\xEF\xBB\xBFOne\nTwo\n"), QStringList({"One", "Two"}));
    QCOMPARE(readAll("\xEF\xBB\xBF"), QStringList());
    QCOMPARE(readAll("\xEF\xBB"), QStringList({QString::fromUtf8("\xC3\xAF\xC2\xBB")}));
    QCOMPARE(readAll("One\n\xEF\xBB\xBFTwo\n"), QStringList({"One", QString(QChar(0xFEFF)) + "Two"}));
}

void TestSiteListReader::eachLineDecodedOnItsOwn()
{
    // UTF-8, then Windows-1252 (with a byte Latin-1 lacks), then UTF-8 again.
    QCOMPARE(readAll("M\xC3\xBCller\nCaf\xE9 \x80 \x9C\n\xE2\x82\xAC 5\n"),
        QStringList({QString::fromUtf8("Müller"), QString::fromUtf8("Café € œ"), QString::fromUtf8("€ 5")}));
    // A UTF-8 sequence cut short is not UTF-8.
    QCOMPARE(readAll("\xC3\n"), QStringList({QString::fromUtf8("Ã")}));
}

void TestSiteListReader::overlongLineIsRefused()
{
    QByteArray bytes = "short\n" + QByteArray(SiteListReader::MaxLineBytes + 1, 'x');
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    SiteListReader reader(buffer);
    QString line;
    QVERIFY(reader.readLine(line));
    QCOMPARE(line, QString("short"));
    QVERIFY_THROWS_EXCEPTION(QuilletError, reader.readLine(line));
    // As long as allowed is still a line.
    bytes = QByteArray(SiteListReader::MaxLineBytes, 'y') + "\nend";
    QCOMPARE(readAll(bytes).size(), 2);
}

QTEST_GUILESS_MAIN(TestSiteListReader)
#include "TestSiteListReader.moc"
