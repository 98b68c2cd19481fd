#include "CompletingComboBox.h"
#include "SiteCheckModel.h"
#include "SiteCheckStore.h"
#include "SiteCheckWindow.h"
#include "SiteListDesktop.h"
#include "TestHttpServer.h"

#include <QAction>
#include <QComboBox>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

// The texts of a column of the results, row by row.
QStringList shown(QTableView& table, int column = SiteCheckModel::SiteColumn)
{
    QStringList texts;
    for (int row = 0; row < table.model()->rowCount(); ++row)
        texts.append(table.model()->index(row, column).data().toString());
    return texts;
}

} // namespace

// A new user's road: sites on a local server that answers some and not
// others, and file addresses as the demo's; the check from the Sites menu,
// the gone sites hidden after one question, and the site list without them.
class TestSiteCheckWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checkHideAndFollow()
    {
        TestHttpServer server(3);
        QVERIFY(server.isRunning());
        server.configure(QJsonObject {{"default", QJsonObject()},
            {"routes",
                QJsonObject {{"/gone", QJsonObject {{"status", 410}}}, {"/broken", QJsonObject {{"status", 503}}},
                    {"/old", QJsonObject {{"status", 301}, {"location", "/new"}}}}}});
        const QString base0 = server.base(0), base1 = server.base(1), base2 = server.base(2);
        SiteListDesktop desktop("page.html", "<html></html>");
        const QString folder = QUrl::fromLocalFile(desktop.dir.path()).toString();
        desktop.addSites("SiteName, HomeUrl, SubmitUrl",
            {{"Answers", base0 + "/", ""}, {"Broken", base1 + "/broken", ""}, {"Gone", "", base0 + "/gone"},
                {"Local", "", folder + "page.html?site=Local"}, {"Local gone", "", folder + "missing.html"},
                {"Mail", base2 + "/", "s@mail.test"}, {"Moved", base2 + "/", base2 + "/old"}});
        SubmissionDatabase& dm = desktop.dm();
        RecordingMessageSink& sink = desktop.sink;
        QVERIFY(dm.sites().locate("Answers"));
        SiteSelector& selector = desktop.selector();
        QCOMPARE(child<QLabel>(selector, "lblLastCheck")->text(), QString("Last check: never"));

        child<QAction>(desktop.mainWindow(), "CheckSiteAddresses1")->trigger();
        auto* window = desktop.mainWindow().findChild<SiteCheckWindow*>("frmSiteCheck");
        QVERIFY(window);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isRunning(), 60000);
        QCOMPARE(child<QLabel>(*window, "lblProgress")->text(), QString("6 of 6 checked"));
        QVERIFY(child<QLabel>(*window, "lblSkipped")->text().startsWith("1 sites not checked"));

        auto* table = child<QTableView>(*window, "grdResults");
        QCOMPARE(shown(*table), QStringList({"Answers", "Broken", "Gone", "Local", "Local gone", "Moved"}));
        QCOMPARE(shown(*table, SiteCheckModel::OutcomeColumn),
            QStringList({"OK", "Error 503", "Gone (404/410)", "OK", "Gone (404/410)", "Moved to " + base2 + "/new"}));

        // Sorted by outcome, shown one outcome at a time.
        table->sortByColumn(SiteCheckModel::OutcomeColumn, Qt::AscendingOrder);
        QCOMPARE(shown(*table).first(), QString("Broken"));
        auto* show = child<QComboBox>(*window, "cboOutcome");
        show->setCurrentIndex(show->findData(int(SiteCheckOutcome::Kind::Gone)));
        QCOMPARE(shown(*table), QStringList({"Gone", "Local gone"}));
        show->setCurrentIndex(0);

        // The panel shows each site's last check.
        QVERIFY(child<QLabel>(selector, "lblLastCheck")->text().startsWith("Last check: OK ("));

        // Nothing is hidden when the question is answered No; Yes hides the two.
        sink.setNextAnswer(MessageSink::Answer::No);
        child<QPushButton>(*window, "btnHideGone")->click();
        QCOMPARE(sink.questions.size(), 1);
        QCOMPARE(dm.sites().count(), 7);
        sink.setNextAnswer(MessageSink::Answer::Yes);
        child<QPushButton>(*window, "btnHideGone")->click();
        QCOMPARE(sink.questions.size(), 2);
        QVERIFY(!dm.sites().locate("Gone"));
        QVERIFY(!dm.sites().locate("Local gone"));
        QCOMPARE(dm.sites().count(), 5);
        QCOMPARE(SiteCheckStore(dm).goneSiteNames(), QStringList({"Gone", "Local gone"}));

        // A double click opens the site at the address that was checked.
        table->sortByColumn(SiteCheckModel::SiteColumn, Qt::AscendingOrder);
        const QModelIndex broken = table->model()->index(1, SiteCheckModel::SiteColumn);
        QCOMPARE(broken.data().toString(), QString("Broken"));
        QVERIFY(QMetaObject::invokeMethod(table, "doubleClicked", Q_ARG(QModelIndex, broken)));
        QCOMPARE(desktop.mainWindow().addressBox()->currentText(), base1 + "/broken");
        QCOMPARE(dm.sites().currentSiteName(), QString("Broken"));

        // A user's "Use new address" keeps the list's address and notes the new one.
        table->selectRow(shown(*table).indexOf("Moved"));
        auto* use = child<QPushButton>(*window, "btnUseNewAddress");
        QVERIFY(use->isEnabled());
        use->click();
        QVERIFY2(sink.messages.isEmpty() || !sink.texts().join(' ').contains("changed since"),
            qPrintable(sink.texts().join('|')));
        QVERIFY(dm.sites().locate("Moved"));
        QCOMPARE(dm.sites().field("SubmitUrl").toString(), base2 + "/old");
        QVERIFY(dm.sites().field("UserNotes").toString().contains(base2 + "/new"));

        // Saved as CSV.
        QVERIFY(window->saveResults(desktop.dir.file("check.csv")));
        QCOMPARE(desktop.dir.readFile("check.csv").count("\r\n"), 7);
        window->close();
    }
};

QTEST_MAIN(TestSiteCheckWindow)
#include "TestSiteCheckWindow.moc"
