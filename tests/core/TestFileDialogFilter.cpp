#include "FileDialogFilter.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestFileDialogFilter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pairsBecomeFilters_data();
    void pairsBecomeFilters();
    void patternsFindNamesInAnyLetterCase();
};

void TestFileDialogFilter::pairsBecomeFilters_data()
{
    QTest::addColumn<QString>("pairs");
    QTest::addColumn<QStringList>("filters");
    QTest::newRow("patterns at the end of a description are Qt's own")
        << "Text files (*.txt)|*.txt|All files (*.*)|*.*" << QStringList {"Text files (*.txt *.TXT)", "All files (*)"};
    QTest::newRow("mixed case, several patterns")
        << "Zip Files|*.Zip|Executable Files|*.Exe;*.com|All Files|*.*"
        << QStringList {
               "Zip Files (*.Zip *.zip *.ZIP)", "Executable Files (*.Exe *.exe *.EXE *.com *.COM)", "All Files (*)"};
    QTest::newRow("blanks around pieces")
        << " PAD Files | *.Xml ; *.TXT " << QStringList {"PAD Files (*.Xml *.xml *.XML *.TXT *.txt)"};
    QTest::newRow("a description without its pattern is dropped")
        << "Text|*.txt|Dangling" << QStringList {"Text (*.txt *.TXT)"};
    QTest::newRow("an empty pattern part is dropped") << "Empty| ; |Text|*.txt" << QStringList {"Text (*.txt *.TXT)"};
    QTest::newRow("a translated description keeps its words")
        << "Fichiers Zip|*.Zip|Tous les fichiers|*.*"
        << QStringList {"Fichiers Zip (*.Zip *.zip *.ZIP)", "Tous les fichiers (*)"};
    QTest::newRow("nothing") << QString() << QStringList();
}

void TestFileDialogFilter::pairsBecomeFilters()
{
    QFETCH(QString, pairs);
    QFETCH(QStringList, filters);
    QCOMPARE(FileDialogFilter::nameFilters(pairs), filters);
    QCOMPARE(FileDialogFilter::filterString(pairs), filters.join(";;"));
}

void TestFileDialogFilter::patternsFindNamesInAnyLetterCase()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* name : {"a.zip", "B.ZIP", "c.Zip", "d.zipx", "e.txt", "noext"}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    // The patterns between the parentheses, as the file dialog reads them.
    const auto patternsOf = [](const QString& filter) {
        const QRegularExpressionMatch match = QRegularExpression(R"(\(([^()]*)\)$)").match(filter);
        return match.captured(1).split(' ', Qt::SkipEmptyParts);
    };
    const QStringList filters = FileDialogFilter::nameFilters("Zip Files|*.Zip|All Files|*.*");
    QCOMPARE(filters.size(), 2);
    QDir listing(dir.path());
    listing.setFilter(QDir::Files);
    listing.setSorting(QDir::Name | QDir::IgnoreCase);
    listing.setNameFilters(patternsOf(filters.at(0)));
    // Case-sensitive matching, as on this platform's file systems.
    listing.setFilter(QDir::Files | QDir::CaseSensitive);
    QCOMPARE(listing.entryList(), QStringList({"a.zip", "B.ZIP", "c.Zip"}));
    listing.setNameFilters(patternsOf(filters.at(1)));
    QCOMPARE(listing.entryList().size(), 6);
}

QTEST_GUILESS_MAIN(TestFileDialogFilter)
#include "TestFileDialogFilter.moc"
