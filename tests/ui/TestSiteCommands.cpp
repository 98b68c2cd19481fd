#include "FindDialog.h"
#include "OptionsDialog.h"
#include "SiteEditor.h"
#include "SiteListDesktop.h"
#include "SiteListModel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

QStringList listed(SiteSelector& selector)
{
    QStringList names;
    for (int row = 0; row < selector.model().rowCount(); ++row)
        names.append(selector.model().index(row, SiteListModel::SiteNameColumn).data().toString());
    return names;
}

// Runs work on the modal dialog of type T that the next command opens, then
// makes sure the dialog closes, so a failing step cannot leave the test waiting.
template<typename T> void onNextModal(std::function<void(T&)> work, bool* reached)
{
    QTimer::singleShot(0, [work, reached] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        *reached = dialog != nullptr;
        if (!dialog)
            return;
        work(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

} // namespace

// The two commands as a maintainer meets them in the main window.
class TestSiteCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void optionsNarrowTheListAndTheEditorChangesARating()
    {
        // Zeta's rating alone must not let it through without PAD.
        SiteListDesktop desktop("admin.key", "");
        desktop.addSites("SiteName, Rating, Pad",
            {{"Alpha Downloads", 5, 1}, {"Beta Files", 2, 1}, {"Gamma Soft", QVariant(), 1}, {"Delta", QVariant(), 0},
                {"Epsilon", 1, 0}, {"Zeta", 7, 0}});
        SiteSelector& selector = desktop.selector();
        QCOMPARE(listed(selector).size(), 6);

        bool reached = false;
        onNextModal<OptionsDialog>(
            [](OptionsDialog& options) {
                child<QLineEdit>(options, "edtSiteRank")->setText("3");
                child<QCheckBox>(options, "chkPADEnabled")->setChecked(true);
                child<QPushButton>(options, "OKButton")->click();
            },
            &reached);
        child<QAction>(desktop.mainWindow(), "Options")->trigger();
        QVERIFY(reached);
        QCOMPARE(listed(selector), QStringList({"Alpha Downloads", "Gamma Soft"}));

        reached = false;
        onNextModal<SiteEditor>(
            [](SiteEditor& editor) {
                child<QAction>(editor, "Find1")->trigger();
                FindDialog* find = editor.findDialog();
                find->setFindText("amm");
                child<QPushButton>(*find, "FindNext")->click();
                auto* grid = child<QTableView>(editor, "DBGrid1");
                const int rating = editor.state().fields().indexOf("Rating");
                grid->model()->setData(grid->model()->index(grid->currentIndex().row(), rating), "9");
                child<QAction>(editor, "nbPost")->trigger();
                child<QAction>(editor, "Exit1")->trigger();
            },
            &reached);
        child<QAction>(desktop.mainWindow(), "EditSite1")->trigger();
        QVERIFY(reached);
        QVERIFY(desktop.sink.messages.isEmpty());
        QCOMPARE(desktop.dm().sites().currentSiteName(), QStringLiteral("Gamma Soft"));
        QCOMPARE(child<QLabel>(selector, "lblStars")->text(), QStringLiteral("*********"));
        QCOMPARE(child<QTableView>(selector, "sitesDBGrid")->currentIndex().row(), 1);
    }
};

QTEST_MAIN(TestSiteCommands)
#include "TestSiteCommands.moc"
