#include "PrintableText.h"
#include "SiteLinkCheck.h"
#include "TestSupport.h"

#include <QFile>
#include <QTest>
#include <QUrl>

// Text and addresses that come from outside (servers, a merged site list)
// before they are printed or opened.
class TestOutsideText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controlCharactersNeverReachATerminal_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("printable");
        QTest::addColumn<QString>("line");
        const auto row = [](const char* name, const char* text, const char* printable, const char* line) {
            QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(printable) << QString::fromUtf8(line);
        };
        row("plain", "250 OK", "250 OK", "250 OK");
        row("retitle the terminal", "220 \x1b]0;owned\x07 ready", "220 ?]0;owned? ready", "220 ?]0;owned? ready");
        row("clear the screen", "\x1b[2J\x1b[H", "?[2J?[H", "?[2J?[H");
        row("C1 introducer", "a\u009b31mb", "a?31mb", "a?31mb");
        row("CR LF, lone CR and LF", "a\r\nb\rc\nd", "a??b?c?d", "a b c d");
        row("line separator", "a\u2028b", "a?b", "a b");
        row("DEL and tab", "a\x7f\tb", "a??b", "a??b");
        row("accents stay", "Grüße €", "Grüße €", "Grüße €");
    }

    void controlCharactersNeverReachATerminal()
    {
        QFETCH(QString, text);
        QFETCH(QString, printable);
        QFETCH(QString, line);
        QCOMPARE(printableText(text), printable);
        QCOMPARE(printableLine(text), line);
    }

    void siteLinksOpenOnlyWebAndMailAddressesAndTheProgramFoldersPages_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("http") << "http://downloads.example/submit" << true;
        QTest::newRow("https") << "https://downloads.example/" << true;
        QTest::newRow("mailto") << "mailto:ed@downloads.example" << true;
        QTest::newRow("upper-case scheme") << "HTTPS://downloads.example/" << true;
        QTest::newRow("page in the program folder") << "@DIR@forms/acorn.html" << true;
        QTest::newRow("javascript") << "javascript:alert(1)" << false;
        QTest::newRow("data") << "data:text/html,<script>1</script>" << false;
        QTest::newRow("ftp") << "ftp://downloads.example/" << false;
        QTest::newRow("a file elsewhere") << "file:///etc/passwd" << false;
        QTest::newRow("climbing out of the folder") << "@DIR@forms/../../outside.html" << false;
        QTest::newRow("a link in the folder to a file elsewhere") << "@DIR@forms/link.html" << false;
        QTest::newRow("a folder beside it, named like it") << "@OUTER@program-other/page.html" << false;
    }

    void siteLinksOpenOnlyWebAndMailAddressesAndTheProgramFoldersPages()
    {
        QFETCH(QString, address);
        QFETCH(bool, allowed);
        TestProgramDirectory outer;
        const QString folder = outer.path() + "program/";
        outer.writeFile("program/forms/acorn.html", "<form></form>");
        outer.writeFile("outside.html", "secret");
        outer.writeFile("program-other/page.html", "other");
        QVERIFY(QFile::link(outer.file("outside.html"), folder + "forms/link.html"));
        address.replace("@DIR@", QUrl::fromLocalFile(folder).toString());
        address.replace("@OUTER@", QUrl::fromLocalFile(outer.path()).toString());
        const SiteLinkCheck check(folder);
        QCOMPARE(check.isAllowed(QUrl::fromUserInput(address)), allowed);
        if (!allowed)
            QVERIFY(!SiteLinkCheck::refusalText(address).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestOutsideText)
#include "TestOutsideText.moc"
