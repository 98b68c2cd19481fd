#include "CompletingComboBox.h"
#include "DesktopStartup.h"
#include "MainWindow.h"
#include "SiteAddressCheck.h"
#include "SiteCheckModel.h"
#include "SiteCheckStore.h"
#include "SiteCheckWindow.h"
#include "SiteSelector.h"
#include "SiteServer.h"
#include "Sql.h"
#include "SubmissionDatabase.h"
#include "TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

template<typename T> T* child(QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

QStringList shownSites(QTableView& table)
{
    QStringList names;
    for (int row = 0; row < table.model()->rowCount(); ++row)
        names.append(table.model()->index(row, SiteCheckModel::SiteColumn).data().toString());
    return names;
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
        SiteServer server(3);
        QVERIFY(server.isRunning());
        server.configure(QJsonObject {{"routes",
            QJsonObject {{"/gone", QJsonObject {{"status", 410}}},
                {"/old", QJsonObject {{"status", 301}, {"location", "/new"}}},
                {"/broken", QJsonObject {{"status", 503}}}}}});
        TestProgramDirectory dir;
        dir.writeFile("page.html", "<html></html>");
        RecordingMessageSink sink;
        DesktopStartup startup(dir.path());
        startup.start();
        SubmissionDatabase& dm = *startup.dataModule();
        const QString formPage = QUrl::fromLocalFile(dir.path() + "page.html").toString() + "?site=Local";
        const QString missingPage = QUrl::fromLocalFile(dir.path() + "missing.html").toString();
        const QList<QVariantList> sites {{"Answers", server.base(0) + "/", ""},
            {"Broken", server.base(1) + "/broken", ""}, {"Gone", "", server.base(0) + "/gone"}, {"Local", "", formPage},
            {"Local gone", "", missingPage}, {"Mail", server.base(2) + "/", "s@mail.test"},
            {"Moved", server.base(2) + "/", server.base(2) + "/old"}};
        for (const QVariantList& site : sites)
            Sql::exec(dm.database(), "INSERT INTO Sites.Sites (SiteName, HomeUrl, SubmitUrl) VALUES (?, ?, ?)", site);
        dm.refreshData();
        QVERIFY(dm.sites().locate("Answers"));
        SiteSelector& selector = *startup.siteSelector();
        QCOMPARE(child<QLabel>(selector, "lblLastCheck")->text(), QStringLiteral("Last check: never"));

        child<QAction>(*startup.mainWindow(), "CheckSiteAddresses1")->trigger();
        auto* window = startup.mainWindow()->findChild<SiteCheckWindow*>("frmSiteCheck");
        QVERIFY(window);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isRunning(), 60000);
        QCOMPARE(child<QLabel>(*window, "lblProgress")->text(), QStringLiteral("6 of 6 checked"));
        QVERIFY(child<QLabel>(*window, "lblSkipped")->text().startsWith(QLatin1String("1 sites not checked")));

        auto* table = child<QTableView>(*window, "grdResults");
        QCOMPARE(shownSites(*table), QStringList({"Answers", "Broken", "Gone", "Local", "Local gone", "Moved"}));
        QHash<QString, QString> outcomes;
        for (int row = 0; row < table->model()->rowCount(); ++row)
            outcomes.insert(table->model()->index(row, SiteCheckModel::SiteColumn).data().toString(),
                table->model()->index(row, SiteCheckModel::OutcomeColumn).data().toString());
        QCOMPARE(outcomes.value("Answers"), QStringLiteral("OK"));
        QCOMPARE(outcomes.value("Broken"), QStringLiteral("Error 503"));
        QCOMPARE(outcomes.value("Gone"), QStringLiteral("Gone (404/410)"));
        QCOMPARE(outcomes.value("Local"), QStringLiteral("OK"));
        QCOMPARE(outcomes.value("Local gone"), QStringLiteral("Gone (404/410)"));
        QCOMPARE(outcomes.value("Moved"), QStringLiteral("Moved to %1/new").arg(server.base(2)));

        // Sorted by outcome, shown one outcome at a time.
        table->sortByColumn(SiteCheckModel::OutcomeColumn, Qt::AscendingOrder);
        QCOMPARE(shownSites(*table).first(), QStringLiteral("Broken"));
        auto* show = child<QComboBox>(*window, "cboOutcome");
        show->setCurrentIndex(show->findData(int(SiteCheckOutcome::Kind::Gone)));
        QCOMPARE(shownSites(*table), QStringList({"Gone", "Local gone"}));
        show->setCurrentIndex(0);

        // The panel shows each site's last check.
        QVERIFY(child<QLabel>(selector, "lblLastCheck")->text().startsWith(QLatin1String("Last check: OK (")));

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
        QCOMPARE(broken.data().toString(), QStringLiteral("Broken"));
        QVERIFY(QMetaObject::invokeMethod(table, "doubleClicked", Q_ARG(QModelIndex, broken)));
        QCOMPARE(startup.mainWindow()->addressBox()->currentText(), server.base(1) + "/broken");
        QCOMPARE(dm.sites().currentSiteName(), QStringLiteral("Broken"));

        // A user's "Use new address" keeps the list's address and notes the new one.
        table->selectRow(shownSites(*table).indexOf("Moved"));
        auto* use = child<QPushButton>(*window, "btnUseNewAddress");
        QVERIFY(use->isEnabled());
        use->click();
        QVERIFY2(sink.messages.isEmpty() || !sink.texts().join(' ').contains("changed since"),
            qPrintable(sink.texts().join('|')));
        QVERIFY(dm.sites().locate("Moved"));
        QCOMPARE(dm.sites().field("SubmitUrl").toString(), server.base(2) + "/old");
        QVERIFY(dm.sites().field("UserNotes").toString().contains(server.base(2) + "/new"));

        // Saved as CSV.
        QVERIFY(window->saveResults(dir.path() + "check.csv"));
        QFile csv(dir.path() + "check.csv");
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll().count("\r\n"), 7);
        window->close();
        startup.shutdown();
    }
};

QTEST_MAIN(TestSiteCheckWindow)
#include "TestSiteCheckWindow.moc"
