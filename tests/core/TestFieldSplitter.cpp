#include "FieldSplitter.h"
#include "Helpers.h"
#include "IniDocument.h"

#include <QTemporaryDir>
#include <QTest>

#include <random>

// The one-pass readers against the field and section look-ups they stand for.
class TestFieldSplitter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitsAsGetFieldReadsEachField_data();
    void splitsAsGetFieldReadsEachField();
    void agreesWithGetFieldOnRandomLines();
    void stopsAfterTheFieldsAsked();
    void sectionIndexAgreesWithValue();
};

void TestFieldSplitter::splitsAsGetFieldReadsEachField_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("plain") << "a,b,c" << QStringList({"a", "b", "c", QString()});
    QTest::newRow("quoted comma") << "\"a,b\",c" << QStringList({"a,b", "c", QString(), QString()});
    QTest::newRow("doubled quote") << "\"say \"\"hi\"\"\",x" << QStringList({"say \"hi\"", "x", QString(), QString()});
    QTest::newRow("blank before quote keeps it") << "a, \"b\" ,c" << QStringList({"a", "\"b\"", "c", QString()});
    QTest::newRow("empty fields") << ",,\t," << QStringList({QString(), QString(), "", QString()});
    QTest::newRow("lone quote") << "\",a" << QStringList({"\",a", QString(), QString(), QString()});
    QTest::newRow("two quotes") << "\"\",b" << QStringList({QString(), "b", QString(), QString()});
    QTest::newRow("three quotes") << "\"\"\",b" << QStringList({"\"\",b", QString(), QString(), QString()});
}

void TestFieldSplitter::splitsAsGetFieldReadsEachField()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    const QStringList split = splitFields(line, ',', int(fields.size()));
    QCOMPARE(split, fields);
    for (int i = 0; i < fields.size(); ++i) {
        QCOMPARE(split.at(i), getField(line, ',', i));
        QCOMPARE(split.at(i).isNull(), getField(line, ',', i).isNull());
    }
}

void TestFieldSplitter::agreesWithGetFieldOnRandomLines()
{
    std::mt19937 random(1604);
    const QString alphabet = QString::fromUtf8("ab ,,\"\"\t\x01é");
    for (int n = 0; n < 20000; ++n) {
        QString line;
        const int length = int(random() % 24);
        for (int i = 0; i < length; ++i)
            line += alphabet.at(int(random() % alphabet.size()));
        const QStringList split = splitFields(line, ',', 16);
        QCOMPARE(split.size(), 16);
        for (int i = 0; i < 16; ++i) {
            const QString expected = getField(line, ',', i);
            if (split.at(i) != expected || split.at(i).isNull() != expected.isNull())
                QFAIL(qPrintable(
                    QString("line [%1] field %2: [%3] instead of [%4]").arg(line).arg(i).arg(split.at(i), expected)));
        }
    }
}

void TestFieldSplitter::stopsAfterTheFieldsAsked()
{
    QCOMPARE(splitFields("a,b,c,d", ',', 2), QStringList({"a", "b"}));
    QCOMPARE(splitFields("a,b", ',', 0), QStringList());
    QCOMPARE(splitFields(QString(), ';', 2), QStringList({QString(), QString()}));
    QCOMPARE(splitFields("x;\"y;z\"", ';', 3), QStringList({"x", "y;z", QString()}));
}

void TestFieldSplitter::sectionIndexAgreesWithValue()
{
    // Documents with repeated sections and keys in other cases, comments,
    // blanks, keys before any section and lines without "=".
    std::mt19937 random(99);
    const QStringList sections {"a", "A", "b", " b ", "ümlaut", "ÜMLAUT", "c d"};
    const QStringList lines {"Value=1", "value = two", "VALUE=", ";Value=comment", "Other=x", "no equals", "",
        "  Value  =  spaced  ", "Value==3"};
    QTemporaryDir dir;
    const QString path = dir.filePath("values.ini");
    for (int n = 0; n < 300; ++n) {
        QString text;
        const int count = int(random() % 30);
        for (int i = 0; i < count; ++i) {
            if (random() % 3 == 0)
                text += "[" + sections.at(int(random() % sections.size())) + "]\n";
            else
                text += lines.at(int(random() % lines.size())) + "\n";
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
        file.close();
        const IniDocument doc = IniDocument::load(path);
        const QHash<QString, QString> index = doc.valuesOfKey("Value");
        for (const QString& section : sections) {
            const std::optional<QString> expected = doc.value(section.trimmed(), "Value");
            const auto found = index.constFind(section.trimmed().toCaseFolded());
            QCOMPARE(found != index.constEnd(), expected.has_value());
            if (expected)
                QCOMPARE(*found, *expected);
        }
    }
}

QTEST_GUILESS_MAIN(TestFieldSplitter)
#include "TestFieldSplitter.moc"
