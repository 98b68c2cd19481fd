#include "DataFixture.h"
#include "FindDialog.h"
#include "SiteEditor.h"
#include "SiteListModel.h"
#include "SiteSelector.h"
#include "Sql.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QToolBar>

namespace {

template<typename T> T* child(QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

// Sites with names, ratings and PAD marks to find and edit, the site
// selector on the data module, and the editor over the same cursor.
class EditorFixture : public DataFixture {
public:
    EditorFixture()
    {
        open();
        for (const char* schema : {"Sites", "ProgSite", "Programs"})
            Sql::exec(dm().database(), QStringLiteral("PRAGMA %1.synchronous = OFF").arg(QLatin1String(schema)));
        dm().addProgram("Tool");
        dm().loadProgram("Tool");
        addSite("Alpha Downloads", {{"Rating", 2}, {"Pad", 1}});
        addSite("Beta Files", {{"Rating", 5}, {"Pad", 0}});
        addSite("Gone Site", {{"Dead", 1}});
        addSite("MySoftware Site", {{"Rating", 3}, {"Pad", 0}});
        addSite("Softpedia Mirror", {{"Rating", 1}, {"Pad", 1}});
        addFlags("Tool", "Beta Files", {{"Submitted", 1}});
        selector = std::make_unique<SiteSelector>(dm(), config());
        editor = std::make_unique<SiteEditor>(dm());
    }

    void show()
    {
        selector->show();
        editor->show();
        QVERIFY(QTest::qWaitForWindowActive(editor.get()));
    }

    QTableView* grid() { return child<QTableView>(*editor, "DBGrid1"); }
    QAction* action(const char* name) { return child<QAction>(*editor, name); }
    int column(const char* name) { return editor->state().fields().indexOf(QString::fromLatin1(name)); }
    QModelIndex cell(const QString& site, const char* field)
    {
        return grid()->model()->index(visibleSites().indexOf(site), column(field));
    }
    QString cellText(const QModelIndex& index) { return index.data().toString(); }

    // Types text into a cell as a user does: the cell becomes current, typing
    // opens its editor, Enter closes it.
    void typeInCell(const QModelIndex& index, const QString& text, Qt::Key endKey = Qt::Key_Return)
    {
        grid()->setFocus(Qt::OtherFocusReason);
        grid()->setCurrentIndex(index);
        // The first key opens the cell's editor, which takes the focus and the other keys.
        QTest::keyClick(grid(), text.at(0).toLatin1());
        QWidget* cellEditor = QApplication::focusWidget();
        QVERIFY(cellEditor && cellEditor != grid() && grid()->isAncestorOf(cellEditor));
        QTest::keyClicks(cellEditor, text.mid(1));
        QTest::keyClick(cellEditor, endKey);
        // The editor hands its text over once the key has been handled.
        QTRY_VERIFY(!grid()->indexWidget(index));
    }

    QString selectorStars() { return child<QLabel>(*selector, "lblStars")->text(); }
    int selectorRow() { return child<QTableView>(*selector, "sitesDBGrid")->currentIndex().row(); }

    std::unique_ptr<SiteSelector> selector;
    std::unique_ptr<SiteEditor> editor;
};

} // namespace

class TestSiteEditor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowMenusAndNavigator()
    {
        EditorFixture f;
        SiteEditor& editor = *f.editor;
        QCOMPARE(editor.objectName(), QStringLiteral("frmEditSite"));
        QCOMPARE(editor.windowTitle(), QStringLiteral("Edit Site"));
        QCOMPARE(editor.font().family(), QStringLiteral("Arial"));
        QCOMPARE(editor.font().pointSize(), 8);
        QStringList menus;
        for (QAction* menu : child<QMenuBar>(editor, "MainMenu1")->actions())
            menus.append(menu->text());
        QCOMPARE(menus, QStringList({"&File", "&Edit"}));
        QCOMPARE(f.action("Exit1")->text(), QStringLiteral("E&xit"));
        QCOMPARE(f.action("Find1")->text(), QStringLiteral("&Find"));
        QCOMPARE(f.action("Find1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
        QCOMPARE(f.action("FindNext1")->text(), QStringLiteral("Find &Next"));
        QCOMPARE(f.action("FindNext1")->shortcut(), QKeySequence(Qt::Key_F3));
        QStringList buttons;
        for (QAction* action : child<QToolBar>(editor, "DBNavigator1")->actions())
            buttons.append(action->objectName());
        QCOMPARE(buttons,
            QStringList({"nbFirst", "nbPrior", "nbNext", "nbLast", "nbInsert", "nbDelete", "nbEdit", "nbPost",
                "nbCancel", "nbRefresh"}));

        // One column per field in the table's order, titled with its name;
        // the rows of the site filter in force (the dead site is not there).
        QAbstractItemModel* model = f.grid()->model();
        QStringList titles;
        for (int i = 0; i < model->columnCount(); ++i)
            titles.append(model->headerData(i, Qt::Horizontal).toString());
        QCOMPARE(titles, f.dm().sites().columns());
        QCOMPARE(model->rowCount(), 4);
        QCOMPARE(f.cellText(f.cell("Alpha Downloads", "Pad")), QStringLiteral("True"));
        QCOMPARE(f.cellText(f.cell("Beta Files", "Pad")), QStringLiteral("False"));
        QCOMPARE(f.cellText(f.cell("Beta Files", "Rating")), QStringLiteral("5"));
        // The find dialog: direction down preselected, match case offered.
        FindDialog* find = editor.findDialog();
        QVERIFY(child<QRadioButton>(*find, "DirectionDown")->isChecked());
        QVERIFY(!child<QCheckBox>(*find, "MatchCase")->isChecked());
        QVERIFY(find->findChildren<QCheckBox*>().size() == 1);
    }

    void ratingEditedInTheGridReachesTheSelector()
    {
        EditorFixture f;
        f.show();
        f.typeInCell(f.cell("Beta Files", "Rating"), "7");
        QCOMPARE(int(f.editor->state().mode()), int(SiteEditState::Mode::Edit));
        QCOMPARE(f.grid()->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("I"));
        QCOMPARE(f.siteRow("Beta Files").value("Rating").toInt(), 5);
        f.action("nbPost")->trigger();
        QCOMPARE(f.siteRow("Beta Files").value("Rating").toInt(), 7);
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Beta Files"));
        QCOMPARE(f.selectorStars(), QStringLiteral("*******"));
        QCOMPARE(f.selectorRow(), 1);

        // Post with the cell's editor still open takes its text first.
        const QModelIndex alpha = f.cell("Alpha Downloads", "Rating");
        f.grid()->setCurrentIndex(alpha);
        QTest::keyClick(f.grid(), '4');
        QVERIFY(f.grid()->indexWidget(alpha));
        f.action("nbPost")->trigger();
        QCOMPARE(f.siteRow("Alpha Downloads").value("Rating").toInt(), 4);
        QCOMPARE(f.selectorStars(), QStringLiteral("****"));
    }

    void aDuplicateNameIsRefusedAndStaysForCorrection()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.show();
        const QVariantMap before = f.siteRow("Beta Files");
        const QModelIndex name = f.cell("Beta Files", "SiteName");
        f.typeInCell(name, "Alpha Downloads");
        f.action("nbPost")->trigger();
        QCOMPARE(
            sink.texts(), QStringList {"A site named \"Alpha Downloads\" already exists: SiteName must be unique."});
        QCOMPARE(f.cellText(name), QStringLiteral("Alpha Downloads"));
        QCOMPARE(f.siteRow("Beta Files"), before);
        QCOMPARE(f.siteRow("Alpha Downloads").value("Rating").toInt(), 2);

        // A click on another row posts first: refused, the grid returns to the row.
        const QRect other = f.grid()->visualRect(f.cell("MySoftware Site", "HomeUrl"));
        QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, {}, other.center());
        QTRY_COMPARE(sink.messages.size(), 2);
        QTRY_COMPARE(f.grid()->currentIndex().row(), name.row());
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Beta Files"));

        // Esc in the grid drops the row's typing; the window stays open.
        f.grid()->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(f.grid(), Qt::Key_Escape);
        QVERIFY(f.editor->isVisible());
        QCOMPARE(f.cellText(name), QStringLiteral("Beta Files"));
        QCOMPARE(int(f.editor->state().mode()), int(SiteEditState::Mode::Browse));
    }

    void booleansAreChosenAsTrueOrFalse()
    {
        EditorFixture f;
        f.show();
        const QModelIndex pad = f.cell("Beta Files", "Pad");
        f.grid()->setCurrentIndex(pad);
        f.grid()->edit(pad);
        auto* choice = qobject_cast<QComboBox*>(f.grid()->indexWidget(pad));
        QVERIFY(choice);
        QStringList items;
        for (int i = 0; i < choice->count(); ++i)
            items.append(choice->itemText(i));
        QCOMPARE(items, QStringList({"True", "False"}));
        QCOMPARE(choice->currentText(), QStringLiteral("False"));
        choice->setCurrentText("True");
        QTest::keyClick(choice, Qt::Key_Return);
        QTRY_VERIFY(!f.grid()->indexWidget(pad));
        QCOMPARE(pad.data().toString(), QStringLiteral("True"));
        f.action("nbPost")->trigger();
        QCOMPARE(f.siteRow("Beta Files").value("Pad").toInt(), 1);
    }

    void findByPartOfANameThroughTheMenus()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.show();
        f.grid()->setCurrentIndex(f.cell("Softpedia Mirror", "SiteName"));
        f.action("Find1")->trigger();
        FindDialog* find = f.editor->findDialog();
        QVERIFY(find->isVisible());
        QCOMPARE(f.dm().sites().currentIndex(), 0);
        auto* findNext = child<QPushButton>(*find, "FindNext");
        QVERIFY(!findNext->isEnabled());
        QTest::keyClicks(child<QLineEdit>(*find, "FindText"), "soft");
        QTest::mouseClick(findNext, Qt::LeftButton);
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("MySoftware Site"));
        QCOMPARE(f.grid()->currentIndex().row(), 2);
        QCOMPARE(f.grid()->currentIndex().column(), f.column("SiteName"));
        QCOMPARE(f.selectorRow(), 2);

        // Enter in the find dialog is its Find Next: on from the match.
        QTest::keyClick(child<QLineEdit>(*find, "FindText"), Qt::Key_Return);
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Softpedia Mirror"));
        QVERIFY(sink.messages.isEmpty());

        // With the case to match nothing is found, and the cursor stays.
        QTest::mouseClick(child<QCheckBox>(*find, "MatchCase"), Qt::LeftButton);
        QTest::mouseClick(findNext, Qt::LeftButton);
        QCOMPARE(sink.texts(), QStringList {"No matches found"});
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Softpedia Mirror"));

        // "Find Next" opens the dialog again where it was.
        QTest::mouseClick(child<QPushButton>(*find, "Cancel"), Qt::LeftButton);
        QVERIFY(!find->isVisible());
        f.action("FindNext1")->trigger();
        QVERIFY(find->isVisible());
        QCOMPARE(child<QLineEdit>(*find, "FindText")->text(), QStringLiteral("soft"));
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Softpedia Mirror"));
    }

    void findSearchesTheGridsCurrentColumn()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.show();
        f.grid()->setCurrentIndex(f.cell("Beta Files", "Pad"));
        f.action("Find1")->trigger();
        FindDialog* find = f.editor->findDialog();
        child<QRadioButton>(*find, "DirectionDown")->setChecked(true);
        find->setFindText("true");
        QTest::mouseClick(child<QPushButton>(*find, "FindNext"), Qt::LeftButton);
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Alpha Downloads"));
        QTest::mouseClick(child<QPushButton>(*find, "FindNext"), Qt::LeftButton);
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Softpedia Mirror"));
        // Upwards, "&Find" examines only the first row.
        child<QRadioButton>(*find, "DirectionUp")->setChecked(true);
        find->setFindText("Beta");
        f.grid()->setCurrentIndex(f.cell("Softpedia Mirror", "SiteName"));
        f.action("Find1")->trigger();
        QTest::mouseClick(child<QPushButton>(*find, "FindNext"), Qt::LeftButton);
        QCOMPARE(sink.texts(), QStringList {"No matches found"});
        QCOMPARE(f.dm().sites().currentIndex(), 0);
    }

    void theRowLeftIsTheCurrentSiteAfterClosing()
    {
        EditorFixture f;
        f.show();
        f.action("nbLast")->trigger();
        f.action("nbPrior")->trigger();
        QVERIFY(!f.action("nbPost")->isEnabled());
        f.action("Exit1")->trigger();
        QVERIFY(!f.editor->isVisible());
        QCOMPARE(f.editor->result(), int(QDialog::Accepted));
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("MySoftware Site"));
        QCOMPARE(f.selectorRow(), 2);
        QCOMPARE(f.selectorStars(), QStringLiteral("***"));
    }

    void closingWithTypedChangesAsks()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.show();
        const QModelIndex rating = f.cell("Alpha Downloads", "Rating");
        f.typeInCell(rating, "8");
        sink.setNextAnswer(MessageSink::Answer::Cancel);
        f.action("Exit1")->trigger();
        QVERIFY(f.editor->isVisible());
        QCOMPARE(sink.questions.size(), 1);

        // An open cell editor's text counts too: Esc on the window, answered Yes.
        f.grid()->setCurrentIndex(rating);
        f.grid()->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(f.grid(), "9");
        QVERIFY(f.grid()->indexWidget(rating));
        sink.setNextAnswer(MessageSink::Answer::Yes);
        f.editor->reject();
        QVERIFY(!f.editor->isVisible());
        QCOMPARE(sink.questions.size(), 2);
        QCOMPARE(f.siteRow("Alpha Downloads").value("Rating").toInt(), 9);
    }

    void closingAndAnsweringNoKeepsTheTable()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.show();
        // A memo takes Enter as a line break; Tab leaves the cell.
        const QModelIndex notes = f.cell("Alpha Downloads", "UserNotes");
        f.typeInCell(notes, "two", Qt::Key_Tab);
        QCOMPARE(notes.data(Qt::EditRole).toString(), QStringLiteral("two"));
        f.typeInCell(f.cell("Alpha Downloads", "Username"), "me");
        sink.setNextAnswer(MessageSink::Answer::No);
        f.editor->close();
        QVERIFY(!f.editor->isVisible());
        QCOMPARE(sink.questions.size(), 1);
        QVERIFY(f.siteRow("Alpha Downloads").value("UserNotes").toString().isEmpty());
        QVERIFY(f.siteRow("Alpha Downloads").value("Username").toString().isEmpty());
    }

    void insertAndDeleteThroughTheNavigatorAndKeys()
    {
        EditorFixture f;
        RecordingMessageSink sink;
        f.show();
        f.grid()->setCurrentIndex(f.cell("Beta Files", "SiteName"));
        f.action("nbInsert")->trigger();
        QCOMPARE(f.grid()->model()->rowCount(), 5);
        QCOMPARE(f.grid()->currentIndex().row(), 1);
        QCOMPARE(f.grid()->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("*"));
        f.typeInCell(f.grid()->model()->index(1, f.column("SiteName")), "Brand New");
        f.action("nbPost")->trigger();
        QVERIFY(sink.messages.isEmpty());
        QCOMPARE(f.dm().sites().currentSiteName(), QStringLiteral("Brand New"));
        QCOMPARE(f.siteRow("Brand New").value("Hide").toInt(), 0);

        // Ctrl+Delete asks; the flag rows of the deleted site stay.
        f.grid()->setCurrentIndex(f.cell("Beta Files", "SiteName"));
        f.grid()->setFocus(Qt::OtherFocusReason);
        sink.setNextAnswer(MessageSink::Answer::Yes);
        QTest::keyClick(f.grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(sink.questions.size(), 1);
        QVERIFY(f.siteRow("Beta Files").isEmpty());
        QCOMPARE(f.flagRow("Tool", "Beta Files").value("Submitted").toInt(), 1);
        QCOMPARE(f.grid()->model()->rowCount(), 4);
        QCOMPARE(f.selector->model().rowCount(), 4);

        // Insert key, then Esc: the new row goes again.
        QTest::keyClick(f.grid(), Qt::Key_Insert);
        QCOMPARE(f.grid()->model()->rowCount(), 5);
        QTest::keyClick(f.grid(), Qt::Key_Escape);
        QCOMPARE(f.grid()->model()->rowCount(), 4);
        QVERIFY(f.editor->isVisible());
    }
};

QTEST_MAIN(TestSiteEditor)
#include "TestSiteEditor.moc"
