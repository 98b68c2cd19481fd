#include "DataFixture.h"
#include "MessageTranslator.h"
#include "SiteListDelegate.h"
#include "SiteListModel.h"
#include "SiteSelector.h"
#include "Sql.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace {

// A data module with one program chosen, as the main window leaves it.
class SitesFixture : public DataFixture {
public:
    explicit SitesFixture(bool withProgram = true)
    {
        open();
        if (withProgram) {
            dm().addProgram("Prog");
            dm().loadProgram("Prog");
        }
    }
};

struct Look {
    QColor foreground;
    QColor background;
    QFont font;
};

// What the grid draws a cell with, starting from a plain font.
Look lookOf(const QAbstractItemModel& model, int row, int column)
{
    const QModelIndex index = model.index(row, column);
    Look look;
    const QVariant foreground = index.data(Qt::ForegroundRole);
    if (foreground.isValid())
        look.foreground = foreground.value<QBrush>().color();
    const QVariant background = index.data(Qt::BackgroundRole);
    if (background.isValid())
        look.background = background.value<QBrush>().color();
    const QVariant font = index.data(Qt::FontRole);
    look.font = font.isValid() ? font.value<QFont>().resolve(QFont()) : QFont();
    return look;
}

template<typename T> T* child(QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

QPoint cellCentre(QTableView* grid, int row, int column)
{
    return grid->visualRect(grid->model()->index(row, column)).center();
}

} // namespace

class TestSiteSelector : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void styleRules_data();
    void styleRules();
    void noStylesWithSiteEffectsOff();
    void highlightedCellKeepsHighlight();
    void columnsAndRowsFollowTheTables();
    void infoPanel_data();
    void infoPanel();
    void infoHintsTranslated();
    void destroyedWithAFocusedFieldWritesItsEdit();
    void ratingStars_data();
    void ratingStars();
    void flagsShowUndecidedAndTickingCreatesTheRow();
    void flagsFollowSiteAndProgram();
    void flagsReadOnlyWithoutProgram();
    void typedKeysMoveForward();
    void longListGrowsAsItIsRead();
    void gridAndCursorInStep();
    void accountAndNotesWrittenBack();
    void pendingEditKeptWhenCursorMovesAway();
    void maintainerModeShowsBareNotes();
    void toolbarAndMenuAskForPages();
    void accountLabelsSelectTheText();
    void windowTextsTranslated();
};

void TestSiteSelector::styleRules_data()
{
    QTest::addColumn<QVariantMap>("site");
    QTest::addColumn<QVariantMap>("flags");
    QTest::addColumn<QColor>("foreground");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QString>("fontStyle"); // b i u s letters set

    const QColor none;
    const QColor red(255, 0, 0);
    const QColor silver(192, 192, 192);
    const QColor grey(128, 128, 128);
    const QVariantMap allKinds {{"VelmoraFriendly", 1}, {"Pad", 1}, {"Ftp", 1}};

    QTest::newRow("plain") << QVariantMap() << QVariantMap() << none << none << "";
    QTest::newRow("published") << QVariantMap() << QVariantMap {{"Published", 1}} << red << none << "";
    QTest::newRow("velmora friendly") << QVariantMap {{"VelmoraFriendly", 1}} << QVariantMap() << none << none << "b";
    QTest::newRow("pad") << QVariantMap {{"Pad", 1}} << QVariantMap() << none << none << "i";
    QTest::newRow("file hosting") << QVariantMap {{"Ftp", 1}} << QVariantMap() << none << none << "u";
    QTest::newRow("submitted") << QVariantMap() << QVariantMap {{"Submitted", 1}} << none << silver << "";
    QTest::newRow("not applicable") << QVariantMap() << QVariantMap {{"NotApplicable", 1}} << grey << none << "s";
    QTest::newRow("rules 1 to 5 together")
        << allKinds << QVariantMap {{"Published", 1}, {"Submitted", 1}} << red << silver << "biu";
    QTest::newRow("not applicable wins") << allKinds
                                         << QVariantMap {{"Published", 1}, {"Submitted", 1}, {"NotApplicable", 1}}
                                         << grey << silver << "s";
    QTest::newRow("flags cleared") << QVariantMap()
                                   << QVariantMap {{"Published", 0}, {"Submitted", 0}, {"NotApplicable", 0}} << none
                                   << none << "";
    QTest::newRow("empty flags") << QVariantMap() << QVariantMap {{"Published", QVariant()}, {"Submitted", QVariant()}}
                                 << none << none << "";
}

void TestSiteSelector::styleRules()
{
    QFETCH(QVariantMap, site);
    QFETCH(QVariantMap, flags);
    QFETCH(QColor, foreground);
    QFETCH(QColor, background);
    QFETCH(QString, fontStyle);

    SitesFixture f;
    f.addSite("Before");
    f.addSite("Target", site);
    f.addSite("Zulu");
    if (!flags.isEmpty())
        f.addFlags("Prog", "Target", flags);
    // Flags of another program never colour this program's list.
    f.addFlags("Other", "Before", {{"Published", 1}, {"Submitted", 1}, {"NotApplicable", 1}});

    SiteListModel model(f.dm(), f.config());
    QCOMPARE(model.rowCount(), 3);
    for (int column : {0, 1}) {
        const Look look = lookOf(model, 1, column);
        QCOMPARE(look.foreground, foreground);
        QCOMPARE(look.background, background);
        QCOMPARE(look.font.bold(), fontStyle.contains('b'));
        QCOMPARE(look.font.italic(), fontStyle.contains('i'));
        QCOMPARE(look.font.underline(), fontStyle.contains('u'));
        QCOMPARE(look.font.strikeOut(), fontStyle.contains('s'));
        // Nothing carries over to the neighbours.
        for (int other : {0, 2}) {
            const Look plain = lookOf(model, other, column);
            QVERIFY(!plain.foreground.isValid());
            QVERIFY(!plain.background.isValid());
            QVERIFY(!plain.font.bold() && !plain.font.strikeOut());
        }
    }
}

void TestSiteSelector::noStylesWithSiteEffectsOff()
{
    SitesFixture f;
    f.addSite("a", {{"VelmoraFriendly", 1}, {"Pad", 1}});
    f.addFlags("Prog", "a", {{"Published", 1}, {"Submitted", 1}});
    SiteListModel model(f.dm(), f.config());
    QVERIFY(f.config().siteEffects);
    QVERIFY(model.index(0, 0).data(Qt::FontRole).isValid());

    f.config().siteEffects = false;
    for (int role : {int(Qt::ForegroundRole), int(Qt::BackgroundRole), int(Qt::FontRole)})
        QVERIFY(!model.index(0, 0).data(role).isValid());
    QCOMPARE(model.index(0, 0).data().toString(), QString("a"));

    // The font rule only sets style attributes: the grid's family and size stay.
    f.config().siteEffects = true;
    QFont gridFont("Courier", 17);
    const QFont drawn = model.index(0, 0).data(Qt::FontRole).value<QFont>().resolve(gridFont);
    QCOMPARE(drawn.pointSize(), 17);
    QCOMPARE(drawn.family(), gridFont.family());
    QVERIFY(drawn.bold() && drawn.italic());
}

void TestSiteSelector::highlightedCellKeepsHighlight()
{
    SitesFixture f;
    f.addSite("a");
    f.addSite("b");
    f.addFlags("Prog", "a", {{"Published", 1}, {"Submitted", 1}});
    f.addFlags("Prog", "b", {{"Submitted", 1}});
    SiteSelector window(f.dm(), f.config());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* grid = child<QTableView>(window, "sitesDBGrid");
    auto* delegate = qobject_cast<SiteListDelegate*>(grid->itemDelegate());
    QVERIFY(delegate);

    f.dm().sites().locate("a");
    const QModelIndex highlighted = grid->model()->index(0, 0);
    const QModelIndex besideIt = grid->model()->index(0, 1);
    QVERIFY(grid->selectionModel()->isSelected(highlighted));
    QVERIFY(!grid->selectionModel()->isSelected(besideIt));

    QStyleOptionViewItem base;
    base.initFrom(grid);
    QStyleOptionViewItem selected = base;
    selected.state |= QStyle::State_Selected;
    const QStyleOptionViewItem drawnHighlighted = delegate->styledOption(selected, highlighted);
    QCOMPARE(drawnHighlighted.backgroundBrush.style(), Qt::NoBrush);
    QCOMPARE(drawnHighlighted.palette.color(QPalette::HighlightedText), QColor(255, 0, 0));

    const QStyleOptionViewItem drawnBeside = delegate->styledOption(base, besideIt);
    QCOMPARE(drawnBeside.backgroundBrush.color(), QColor(192, 192, 192));
    QCOMPARE(drawnBeside.palette.color(QPalette::Text), QColor(255, 0, 0));

    // The other row's cells are not highlighted and keep the silver.
    const QStyleOptionViewItem other = delegate->styledOption(base, grid->model()->index(1, 0));
    QCOMPARE(other.backgroundBrush.color(), QColor(192, 192, 192));
}

void TestSiteSelector::columnsAndRowsFollowTheTables()
{
    SitesFixture f;
    f.addSite("shown", {{"Hide", 0}});
    f.addSite("hidden", {{"Hide", 1}});
    SiteListModel model(f.dm(), f.config());
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("SiteName"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("Hide"));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 1).data().toString(), QString("False"));

    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    f.dm().setShowHiddenSites(true);
    QVERIFY(reset.count() >= 1);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.index(0, 0).data().toString(), QString("hidden"));
    QCOMPARE(model.index(0, 1).data().toString(), QString("True"));

    // A changed flag restyles the rows; a written site field updates its row.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    f.dm().sites().locate("shown");
    f.dm().setProgSiteFlag("Published", true);
    QVERIFY(changed.count() >= 1);
    QCOMPARE(model.index(1, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    changed.clear();
    f.dm().setCurrentSiteText("Username", "me");
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).value<QModelIndex>().row(), 1);

    // The row indicator marks the current site.
    QVERIFY(!model.headerData(1, Qt::Vertical).toString().isEmpty());
    QVERIFY(model.headerData(0, Qt::Vertical).toString().isEmpty());
}

void TestSiteSelector::infoPanel_data()
{
    QTest::addColumn<QVariantMap>("site");
    QTest::addColumn<QString>("expected");

    QTest::newRow("notes and two hints") << QVariantMap {{"Notes", "Fast review"}, {"VelmoraFriendly", 1},
        {"PollsPAD", 1}} << "Fast review,velmora friendly,PAD polling";
    QTest::newRow("file hosting only") << QVariantMap {{"Ftp", 1}} << "allow file hosting";
    QTest::newRow("polling hides pad") << QVariantMap {{"PollsPAD", 1}, {"Pad", 1}} << "PAD polling";
    QTest::newRow("pad alone") << QVariantMap {{"Pad", 1}} << "PAD enabled";
    QTest::newRow("several lines") << QVariantMap {{"Notes", "line one\nline two"}, {"AntiFreeSpeech", 1}}
                                   << "line one\nline two,blacklists authors for the views they express";
    QTest::newRow("every hint in order") << QVariantMap {{"VelmoraFriendly", 1}, {"Pad", 1}, {"Ftp", 1},
        {"AntiFreeSpeech",
            1}} << "velmora friendly,PAD enabled,allow file hosting,blacklists authors for the views they express";
    QTest::newRow("notes alone") << QVariantMap {{"Notes", "Just notes"}} << "Just notes";
}

void TestSiteSelector::infoPanel()
{
    QFETCH(QVariantMap, site);
    QFETCH(QString, expected);
    SitesFixture f;
    f.addSite("aaa", {{"Notes", "first site"}});
    f.addSite("target", site);
    SiteSelector window(f.dm(), f.config());
    auto* memo = child<QPlainTextEdit>(window, "Memo1");
    QCOMPARE(memo->toPlainText(), QString("first site"));
    f.dm().sites().locate("target");
    QCOMPARE(memo->toPlainText(), expected);
    QVERIFY(memo->isReadOnly());
}

void TestSiteSelector::infoHintsTranslated()
{
    SitesFixture f;
    f.dir.writeFile("Deutsch.lng", "[Messages]\nPAD polling=PAD-Abfrage\nallow file hosting=Dateiablage\n");
    f.config().language = "Deutsch";
    useLanguageOf(&f.config());
    f.addSite("a", {{"Notes", "Gut"}, {"PollsPAD", 1}, {"Ftp", 1}});
    SiteListModel model(f.dm(), f.config());
    const QString text = model.infoText(0);
    useLanguageOf(nullptr);
    QCOMPARE(text, QString("Gut,PAD-Abfrage,Dateiablage"));
}

void TestSiteSelector::ratingStars_data()
{
    QTest::addColumn<QVariant>("rating");
    QTest::addColumn<QString>("stars");
    QTest::newRow("zero") << QVariant(0) << "na";
    QTest::newRow("three") << QVariant(3) << "***";
    QTest::newRow("negative") << QVariant(-2) << "";
    QTest::newRow("empty field") << QVariant() << "na";
    QTest::newRow("absurd") << QVariant(2000000000) << QString(100, '*');
}

void TestSiteSelector::ratingStars()
{
    QFETCH(QVariant, rating);
    QFETCH(QString, stars);
    SitesFixture f;
    f.addSite("a", {{"Rating", rating}});
    SiteSelector window(f.dm(), f.config());
    QCOMPARE(child<QLabel>(window, "lblStars")->text(), stars);
}

void TestSiteSelector::flagsShowUndecidedAndTickingCreatesTheRow()
{
    SitesFixture f;
    f.addSite("a");
    SiteSelector window(f.dm(), f.config());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const char* names[] = {"dcbSubmitted", "dcbPublished", "dcbOldVer", "dcbNotApplicable"};
    for (const char* name : names) {
        QCOMPARE(child<QCheckBox>(window, name)->checkState(), Qt::PartiallyChecked);
        QVERIFY(child<QCheckBox>(window, name)->isEnabled());
    }
    QVERIFY(f.flagRow("Prog", "a").isEmpty());

    auto* submitted = child<QCheckBox>(window, "dcbSubmitted");
    QTest::mouseClick(submitted, Qt::LeftButton);
    QCOMPARE(submitted->checkState(), Qt::Checked);
    QVariantMap row = f.flagRow("Prog", "a");
    QCOMPARE(row.value("Submitted").toInt(), 1);
    QVERIFY(row.value("Published").isNull());
    QCOMPARE(child<QCheckBox>(window, "dcbPublished")->checkState(), Qt::PartiallyChecked);

    // A second click clears it; it never goes back to undecided.
    QTest::mouseClick(submitted, Qt::LeftButton);
    QCOMPARE(submitted->checkState(), Qt::Unchecked);
    QCOMPARE(f.flagRow("Prog", "a").value("Submitted").toInt(), 0);
    QVERIFY(!f.flagRow("Prog", "a").value("Submitted").isNull());

    auto* oldVersion = child<QCheckBox>(window, "dcbOldVer");
    QTest::keyClick(oldVersion, Qt::Key_Space);
    QCOMPARE(f.flagRow("Prog", "a").value("OldVersion").toInt(), 1);

    // The File ID goes to the same row.
    auto* fileId = child<QLineEdit>(window, "DBEdit3");
    fileId->setFocus();
    QTest::keyClicks(fileId, "ID42");
    QTest::keyClick(fileId, Qt::Key_Return);
    QCOMPARE(f.flagRow("Prog", "a").value("FileID").toString(), QString("ID42"));
}

void TestSiteSelector::flagsFollowSiteAndProgram()
{
    SitesFixture f;
    f.addSite("a");
    f.addSite("b");
    f.addFlags("Prog", "b", {{"Published", 1}, {"Submitted", 0}, {"FileID", "77"}});
    f.addFlags("Other", "a", {{"NotApplicable", 1}});
    f.dm().addProgram("Other");
    SiteSelector window(f.dm(), f.config());
    f.dm().sites().locate("b");
    QCOMPARE(child<QCheckBox>(window, "dcbPublished")->checkState(), Qt::Checked);
    QCOMPARE(child<QCheckBox>(window, "dcbSubmitted")->checkState(), Qt::Unchecked);
    QCOMPARE(child<QCheckBox>(window, "dcbOldVer")->checkState(), Qt::PartiallyChecked);
    QCOMPARE(child<QLineEdit>(window, "DBEdit3")->text(), QString("77"));

    f.dm().sites().locate("a");
    QCOMPARE(child<QCheckBox>(window, "dcbPublished")->checkState(), Qt::PartiallyChecked);
    QCOMPARE(child<QCheckBox>(window, "dcbNotApplicable")->checkState(), Qt::PartiallyChecked);
    QCOMPARE(child<QLineEdit>(window, "DBEdit3")->text(), QString());

    // Choosing another program shows its flags and restyles the grid.
    f.dm().loadProgram("Other");
    window.repaintSites();
    QCOMPARE(child<QCheckBox>(window, "dcbNotApplicable")->checkState(), Qt::Checked);
    QCOMPARE(window.model().index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(128, 128, 128));
    QVERIFY(!window.model().index(1, 0).data(Qt::ForegroundRole).isValid());
}

void TestSiteSelector::flagsReadOnlyWithoutProgram()
{
    SitesFixture f(false);
    f.addSite("a");
    SiteSelector window(f.dm(), f.config());
    for (const char* name : {"dcbSubmitted", "dcbPublished", "dcbOldVer", "dcbNotApplicable"}) {
        QVERIFY(!child<QCheckBox>(window, name)->isEnabled());
        QCOMPARE(child<QCheckBox>(window, name)->checkState(), Qt::PartiallyChecked);
    }
    QVERIFY(!child<QLineEdit>(window, "DBEdit3")->isEnabled());
    // The account fields belong to the site and stay editable.
    QVERIFY(child<QLineEdit>(window, "dedUsername")->isEnabled());
}

void TestSiteSelector::typedKeysMoveForward()
{
    SitesFixture f;
    for (const char* name : {"Alpha", "beta", "Mango", "mint", "Omega", "Zeta"})
        f.addSite(name);
    SiteSelector window(f.dm(), f.config());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* grid = child<QTableView>(window, "sitesDBGrid");
    SiteCursor& sites = f.dm().sites();

    sites.locate("Zeta");
    QTest::keyClick(grid, 'm');
    QCOMPARE(sites.currentSiteName(), QString("Zeta"));

    sites.locate("Alpha");
    QTest::keyClick(grid, 'M', Qt::ShiftModifier);
    QCOMPARE(sites.currentSiteName(), QString("Mango"));
    QCOMPARE(grid->currentIndex().row(), 2);
    QTest::keyClick(grid, 'n');
    QCOMPARE(sites.currentSiteName(), QString("Omega"));

    // No name from that letter on: the last site.
    sites.locate("beta");
    QTest::keyClick(grid, '~');
    QCOMPARE(sites.currentSiteName(), QString("Zeta"));

    // Arrow keys still move the grid, and the cursor with it.
    sites.locate("Alpha");
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(sites.currentSiteName(), QString("beta"));
}

void TestSiteSelector::longListGrowsAsItIsRead()
{
    SitesFixture f;
    QSqlDatabase db = f.dm().database();
    Sql::inTransaction(db, [&] {
        QSqlQuery insert(db);
        insert.prepare("INSERT INTO Sites.Sites (SiteName) VALUES (?)");
        for (int i = 0; i < 3000; ++i)
            Sql::run(insert, {QString("Site %1").arg(i, 4, 10, QChar('0'))});
        Sql::run(insert, {QString("Zulu")});
    });
    f.dm().refreshData();
    SiteSelector window(f.dm(), f.config());
    auto* grid = child<QTableView>(window, "sitesDBGrid");
    // The grid starts with the rows read so far, not the whole table; a jump
    // past them (before any event lets the rest come) brings the grid along.
    QVERIFY(grid->model()->rowCount() < 3001);
    QTest::keyClick(grid, 'z');
    QCOMPARE(f.dm().sites().currentSiteName(), QString("Zulu"));
    QCOMPARE(grid->model()->rowCount(), 3001);
    QCOMPARE(grid->currentIndex().row(), 3000);
    QCOMPARE(grid->currentIndex().data().toString(), QString("Zulu"));

    // After a refresh the rest comes in the background, without a command.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    f.dm().sites().first();
    f.dm().refreshData();
    QVERIFY(grid->model()->rowCount() < 3001);
    QTRY_COMPARE(grid->model()->rowCount(), 3001);
    QCOMPARE(grid->model()->index(2999, 0).data().toString(), QString("Site 2999"));
    QCOMPARE(grid->currentIndex().row(), 0);
}

void TestSiteSelector::gridAndCursorInStep()
{
    SitesFixture f;
    for (const char* name : {"a", "b", "c", "d"})
        f.addSite(name, {{"Username", QString(name) + "-user"}, {"Password", QString(name) + "-pass"}});
    SiteSelector window(f.dm(), f.config());
    window.resize(500, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* grid = child<QTableView>(window, "sitesDBGrid");

    f.dm().sites().locate("c");
    QCOMPARE(grid->currentIndex().row(), 2);
    QVERIFY(grid->selectionModel()->isSelected(grid->currentIndex()));
    QCOMPARE(window.userName(), QString("c-user"));
    QCOMPARE(window.password(), QString("c-pass"));

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(grid, 1, 1));
    QCOMPARE(f.dm().sites().currentSiteName(), QString("b"));
    QCOMPARE(window.userName(), QString("b-user"));

    QSignalSpy home(&window, &SiteSelector::homeRequested);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(grid, 3, 0));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(grid, 3, 0));
    QCOMPARE(home.count(), 1);
    QCOMPARE(f.dm().sites().currentSiteName(), QString("d"));

    // A re-read list keeps the grid on the current site.
    f.addSite("aa");
    QCOMPARE(f.dm().sites().currentSiteName(), QString("d"));
    QCOMPARE(grid->currentIndex().row(), 4);
}

void TestSiteSelector::accountAndNotesWrittenBack()
{
    SitesFixture f;
    f.addSite("a", {{"Username", "old"}});
    f.addSite("b");
    SiteSelector window(f.dm(), f.config());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto* userName = child<QLineEdit>(window, "dedUsername");
    userName->setFocus();
    userName->selectAll();
    QTest::keyClicks(userName, "newname");
    QTest::keyClick(userName, Qt::Key_Return);
    QCOMPARE(f.siteRow("a").value("Username").toString(), QString("newname"));
    QCOMPARE(window.userName(), QString("newname"));

    auto* password = child<QLineEdit>(window, "dedPassword");
    password->setFocus();
    QTest::keyClicks(password, "s3cret");
    auto* notes = child<QPlainTextEdit>(window, "DBMemo1");
    notes->setFocus(); // leaving the password box writes it
    QCOMPARE(f.siteRow("a").value("Password").toString(), QString("s3cret"));
    QTest::keyClicks(notes, "call first");
    password->setFocus(); // leaving the notes writes them
    QCOMPARE(f.siteRow("a").value("UserNotes").toString(), QString("call first"));
    QVERIFY(f.siteRow("b").value("UserNotes").toString().isEmpty());

    // Values shown after moving away and back are the stored ones.
    f.dm().sites().locate("b");
    QCOMPARE(notes->toPlainText(), QString());
    f.dm().sites().locate("a");
    QCOMPARE(notes->toPlainText(), QString("call first"));
    QCOMPARE(window.password(), QString("s3cret"));
}

void TestSiteSelector::destroyedWithAFocusedFieldWritesItsEdit()
{
    SitesFixture f;
    f.addSite("a", {{"Username", "old"}});
    auto* window = new SiteSelector(f.dm(), f.config());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    auto* userName = child<QLineEdit>(*window, "dedUsername");
    userName->setFocus();
    QTRY_VERIFY(userName->hasFocus());
    userName->selectAll();
    QTest::keyClicks(userName, "typed");
    // The field still has the focus while its window is taken down: the
    // edit is written, and the field's editingFinished on losing the focus
    // must not reach the half-destroyed window (the sanitizer pass checks).
    delete window;
    QCOMPARE(f.siteRow("a").value("Username").toString(), QString("typed"));
}

void TestSiteSelector::pendingEditKeptWhenCursorMovesAway()
{
    SitesFixture f;
    f.addSite("a");
    f.addSite("b", {{"UserNotes", "b notes"}});
    SiteSelector window(f.dm(), f.config());
    auto* notes = child<QPlainTextEdit>(window, "DBMemo1");
    auto* userName = child<QLineEdit>(window, "dedUsername");
    notes->setPlainText("typed for a");
    notes->document()->setModified(true);
    userName->setText("a-login");
    userName->setModified(true);

    // Another part of the program moves the cursor while the edits are pending.
    f.dm().sites().locate("b");
    QCOMPARE(f.dm().sites().currentSiteName(), QString("b"));
    QCOMPARE(f.siteRow("a").value("UserNotes").toString(), QString("typed for a"));
    QCOMPARE(f.siteRow("a").value("Username").toString(), QString("a-login"));
    QVERIFY(f.siteRow("b").value("Username").toString().isEmpty());
    QCOMPARE(notes->toPlainText(), QString("b notes"));
    QCOMPARE(userName->text(), QString());
}

void TestSiteSelector::maintainerModeShowsBareNotes()
{
    {
        SitesFixture f;
        f.addSite("a", {{"Notes", "Fast review"}, {"VelmoraFriendly", 1}});
        SiteSelector window(f.dm(), f.config());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.isMaintainerMode());
        QVERIFY(child<QPlainTextEdit>(window, "Memo1")->isVisible());
        QVERIFY(!child<QPlainTextEdit>(window, "DBMemo2")->isVisible());
        QVERIFY(!child<QPlainTextEdit>(window, "DBMemo2")->isEnabled());
    }
    SitesFixture f;
    f.dir.writeFile("admin.key", "");
    f.addSite("a", {{"Notes", "Fast review"}, {"VelmoraFriendly", 1}});
    SiteSelector window(f.dm(), f.config());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.isMaintainerMode());
    auto* notes = child<QPlainTextEdit>(window, "DBMemo2");
    QVERIFY(!child<QPlainTextEdit>(window, "Memo1")->isVisible());
    QVERIFY(notes->isVisible());
    QVERIFY(notes->isEnabled());
    QVERIFY(!notes->isReadOnly());
    QCOMPARE(notes->toPlainText(), QString("Fast review"));
    notes->setFocus();
    QTest::keyClick(notes, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(notes, " now");
    window.commitEdits();
    QCOMPARE(f.siteRow("a").value("Notes").toString(), QString("Fast review now"));
}

void TestSiteSelector::toolbarAndMenuAskForPages()
{
    SitesFixture f;
    f.addSite("a");
    SiteSelector window(f.dm(), f.config());
    QCOMPARE(window.windowTitle(), QString("Site selector"));
    QSignalSpy home(&window, &SiteSelector::homeRequested);
    QSignalSpy search(&window, &SiteSelector::searchRequested);
    QSignalSpy submit(&window, &SiteSelector::submitRequested);
    QSignalSpy update(&window, &SiteSelector::updateRequested);
    QSignalSpy help(&window, &SiteSelector::helpRequested);
    const QStringList hints {
        "Visit site home page", "Visit site search page", "Visit site submit page", "Visit site edit page", "Help"};
    for (int i = 0; i < 5; ++i) {
        auto* button = child<QToolButton>(window, qPrintable(QString("ToolButton%1").arg(i + 1)));
        QCOMPARE(button->toolTip(), hints.at(i));
        button->click();
    }
    QCOMPARE(home.count(), 1);
    QCOMPARE(search.count(), 1);
    QCOMPARE(submit.count(), 1);
    QCOMPARE(update.count(), 1);
    QCOMPARE(help.count(), 1);
    QCOMPARE(help.first().at(0).toInt(), 30);

    auto* navigate = child<QMenu>(window, "Navigate1");
    for (const char* name : {"Home1", "Search1", "Submit1", "Update1"})
        navigate->findChild<QAction*>(name)->trigger();
    QCOMPARE(home.count(), 2);
    QCOMPARE(search.count(), 2);
    QCOMPARE(submit.count(), 2);
    QCOMPARE(update.count(), 2);

    // Every component a translation path names exists under that name.
    for (const QString& path : SiteSelector::translationPaths()) {
        const QString component = path.section('.', 1, 1);
        QVERIFY2(component == "Caption" || window.findChild<QObject*>(component), qPrintable(path));
    }
    QCOMPARE(SiteSelector::translationPaths().size(), 23);
}

void TestSiteSelector::accountLabelsSelectTheText()
{
    SitesFixture f;
    f.addSite("a", {{"Username", "author"}, {"Password", "pw"}});
    SiteSelector window(f.dm(), f.config());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* userName = child<QLineEdit>(window, "dedUsername");
    auto* password = child<QLineEdit>(window, "dedPassword");

    QTest::mouseClick(child<QLabel>(window, "Label1"), Qt::LeftButton);
    QCOMPARE(userName->selectedText(), QString("author"));
    QTest::mouseClick(child<QLabel>(window, "Label2"), Qt::LeftButton);
    QCOMPARE(password->selectedText(), QString("pw"));

    userName->deselect();
    QTest::mouseClick(userName, Qt::LeftButton, {}, QPoint(3, userName->height() / 2));
    QTRY_COMPARE(userName->selectedText(), QString("author"));
}

void TestSiteSelector::windowTextsTranslated()
{
    SitesFixture f;
    f.addSite("a");
    f.dir.writeFile("Deutsch.lng",
        "[Translations]\nfrmSites.Caption=Seitenauswahl\nfrmSites.Label1.Caption=Benutzer:\n"
        "frmSites.dcbSubmitted.Caption=Eingereicht\nfrmSites.ToolButton1.Hint=Startseite besuchen\n"
        "frmSites.Home1.Caption=&Startseite\nfrmSites.Navigate1.Caption=&Gehe zu\n");
    {
        // English reads no file, even one that is there.
        SiteSelector window(f.dm(), f.config());
        QCOMPARE(window.windowTitle(), QString("Site selector"));
    }
    f.config().language = "Deutsch";
    SiteSelector window(f.dm(), f.config());
    QCOMPARE(window.windowTitle(), QString("Seitenauswahl"));
    QCOMPARE(child<QLabel>(window, "Label1")->text(), QString("Benutzer:"));
    QCOMPARE(child<QCheckBox>(window, "dcbSubmitted")->text(), QString("Eingereicht"));
    QCOMPARE(child<QCheckBox>(window, "dcbPublished")->text(), QString("Published"));
    QCOMPARE(child<QToolButton>(window, "ToolButton1")->toolTip(), QString("Startseite besuchen"));
    QCOMPARE(child<QMenu>(window, "Navigate1")->title(), QString("&Gehe zu"));
    QCOMPARE(window.findChild<QAction*>("Home1")->text(), QString("&Startseite"));
}

QTEST_MAIN(TestSiteSelector)
#include "TestSiteSelector.moc"
