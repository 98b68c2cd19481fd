#include "DataSelector.h"
#include "DataSelectorModel.h"
#include "DataSelectorRows.h"
#include "IniDocument.h"
#include "MessageTranslator.h"
#include "PowerPasteMenu.h"
#include "ProgramSession.h"
#include "QuickPasteMenu.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <memory>

namespace {

// A started session with the data selector and the two menus it fills.
class DataSelectorFixture {
public:
    explicit DataSelectorFixture(const QByteArray& settings = QByteArray())
    {
        if (!settings.isEmpty())
            dir.writeFile("quillet.ini", settings);
        session = std::make_unique<ProgramSession>(dir.path());
        session->start();
        rows = std::make_unique<DataSelectorRows>(session->properties());
    }

    DataSelector& window()
    {
        if (!m_window)
            m_window = std::make_unique<DataSelector>(*rows, session->config(), powerPaste, quickPaste);
        return *m_window;
    }

    QTableView* grid() { return window().findChild<QTableView*>("StringGrid1"); }

    // Shows the window tall enough for every row.
    void show()
    {
        window().resize(400, 900);
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }

    QPoint cell(int row, int column) { return grid()->visualRect(grid()->model()->index(row, column)).center(); }

    void ctrlClick(int row)
    {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, Qt::ControlModifier, cell(row, 1));
    }

    PropertyCatalogue& properties() { return session->properties(); }
    Settings& config() { return session->config(); }

    TestProgramDirectory dir;
    std::unique_ptr<ProgramSession> session;
    std::unique_ptr<DataSelectorRows> rows;
    PowerPasteMenu powerPaste;
    QuickPasteMenu quickPaste;

private:
    std::unique_ptr<DataSelector> m_window;
};

QVector<int> propertyIndices(const PowerPasteMenu& menu)
{
    QVector<int> indices;
    for (int i = 0; i < menu.count(); ++i) {
        if (menu.item(i).kind == PowerPasteMenu::ItemKind::Property)
            indices.append(menu.item(i).catalogueIndex);
    }
    return indices;
}

QStringList fixedItems(const PowerPasteMenu& menu)
{
    QStringList names;
    for (int i = 0; i < menu.count(); ++i) {
        if (menu.item(i).kind != PowerPasteMenu::ItemKind::Property)
            names.append(menu.item(i).objectName + "=" + menu.item(i).caption);
    }
    return names;
}

QVector<int> breakPositions(const PowerPasteMenu& menu)
{
    QVector<int> positions;
    for (int i = 0; i < menu.count(); ++i) {
        if (menu.item(i).columnBreak)
            positions.append(i);
    }
    return positions;
}

const QStringList kFixedItems {"CutMenuItem=Cu&t", "CopyMenuItem=&Copy", "PasteMenuItem=&Paste",
    "PPMTopSeparator=", "PPMBottomSeparator=", "UsernameMenuItem=> &Username", "PasswordMenuItem=> Pass&word"};

} // namespace

class TestDataSelector : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void gridShowsEveryEntry();
    void valuesFollowRefreshes();
    void selectingARowCopiesItsValue();
    void ctrlClickRotatesQuickPaste();
    void quickPasteCaptionsCompareLoosely();
    void quickPasteLoadedTriggeredAndSaved();
    void powerPasteColumnsOfSixteen();
    void powerPasteRebuildKeepsFixedItems();
    void powerPasteSettingsFromTheFile();
    void powerPasteKeyboard();
    void powerPasteMouse();
    void translatedCaptions();
};

void TestDataSelector::gridShowsEveryEntry()
{
    DataSelectorFixture f;
    QCOMPARE(f.window().windowTitle(), QString("Data selector"));
    const DataSelectorModel& model = f.window().model();
    QCOMPARE(model.rowCount(), 47);
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.index(0, 0).data().toString(), QString("Company"));
    QCOMPARE(model.index(14, 0).data().toString(), QString("Program"));
    QCOMPARE(model.index(13, 0).data().toString(), QString());
    QCOMPARE(model.index(13, 1).data().toString(), QString());
    QCOMPARE(model.index(45, 0).data().toString(), QString("Changes"));
    QCOMPARE(model.index(46, 0).data().toString(), QString("PAD Path"));
    QVERIFY(!(model.flags(model.index(3, 0)) & Qt::ItemIsSelectable));
    QVERIFY(model.flags(model.index(3, 1)) & Qt::ItemIsSelectable);
    // The caption column is never narrower than its design width and shows
    // every caption whole at the grid's font.
    QVERIFY(f.grid()->columnWidth(0) >= 64);
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString caption = model.index(row, 0).data().toString();
        QVERIFY2(
            f.grid()->columnWidth(0) >= f.grid()->fontMetrics().horizontalAdvance(caption) + 4, qPrintable(caption));
    }
    QCOMPARE(f.grid()->rowHeight(20), 15);
}

void TestDataSelector::valuesFollowRefreshes()
{
    DataSelectorFixture f;
    f.properties()[0].setValue("Acme Ltd");
    f.properties()[14].setValue("Widget");
    const DataSelectorModel& model = f.window().model();
    QCOMPARE(model.index(0, 1).data().toString(), QString());

    // Shown: the values are taken.
    f.show();
    QCOMPARE(model.index(0, 1).data().toString(), QString("Acme Ltd"));
    QCOMPARE(model.index(14, 1).data().toString(), QString("Widget"));

    // A program change reloads the program rows only.
    f.properties()[0].setValue("Other Co");
    f.properties()[14].setValue("Gadget");
    f.rows->loadProgramData();
    QCOMPARE(model.index(0, 1).data().toString(), QString("Acme Ltd"));
    QCOMPARE(model.index(14, 1).data().toString(), QString("Gadget"));
    f.rows->refreshData();
    QCOMPARE(model.index(0, 1).data().toString(), QString("Other Co"));
}

void TestDataSelector::selectingARowCopiesItsValue()
{
    DataSelectorFixture f;
    f.properties()[0].setValue("Acme Ltd");
    f.properties()[1].setValue("https://acme.test/");
    f.properties()[3].setValue("Jo Bloggs");
    f.properties()[4].setValue("First line\r\nSecond line\r\n");
    f.show();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("before");
    // Showing and focusing the grid leaves the clipboard alone.
    f.grid()->setFocus();
    QCOMPARE(clipboard->text(), QString("before"));

    QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, {}, f.cell(0, 1));
    QCOMPARE(clipboard->text(), QString("Acme Ltd"));
    QTest::keyClick(f.grid(), Qt::Key_Down);
    QCOMPARE(clipboard->text(), QString("https://acme.test/"));
    // An empty value empties the clipboard's text.
    QTest::keyClick(f.grid(), Qt::Key_Down);
    QCOMPARE(clipboard->text(), QString());
    // A click on a caption takes its row's value, never the caption.
    QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, {}, f.cell(3, 0));
    QCOMPARE(clipboard->text(), QString("Jo Bloggs"));
    QCOMPARE(f.grid()->currentIndex().column(), 1);
    // A click on the row already selected copies its value again.
    clipboard->setText("something else");
    QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, {}, f.cell(3, 1));
    QCOMPARE(clipboard->text(), QString("Jo Bloggs"));
    // A multi-line value comes without the final line break it is stored with.
    QTest::keyClick(f.grid(), Qt::Key_Down);
    QCOMPARE(clipboard->text(), QString("First line\r\nSecond line"));
    // Plain clicks add nothing to the Quick Paste menu.
    QCOMPARE(f.quickPaste.itemCount(), 0);
}

void TestDataSelector::ctrlClickRotatesQuickPaste()
{
    DataSelectorFixture f;
    f.properties()[20].setValue("512");
    f.show();
    const QVector<int> firstTen {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (int row : firstTen)
        f.ctrlClick(row);
    QCOMPARE(f.quickPaste.quickPasteItems(), firstTen);
    QCOMPARE(f.quickPaste.captions().first(), QString("Company"));

    // An eleventh distinct row drops the oldest and comes last.
    f.ctrlClick(20);
    QCOMPARE(f.quickPaste.quickPasteItems(), (QVector<int> {1, 2, 3, 4, 5, 6, 7, 8, 9, 20}));
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("512"));
    QVERIFY(f.grid()->selectionModel()->isRowSelected(20, QModelIndex()));

    // A row already present changes nothing, also when clicked again.
    f.ctrlClick(5);
    f.ctrlClick(20);
    QCOMPARE(f.quickPaste.quickPasteItems(), (QVector<int> {1, 2, 3, 4, 5, 6, 7, 8, 9, 20}));
    QVERIFY(f.grid()->selectionModel()->isRowSelected(20, QModelIndex()));

    // The blank separator row is never an item.
    f.ctrlClick(13);
    QCOMPARE(f.quickPaste.itemCount(), 10);
    QVERIFY(!f.quickPaste.quickPasteItems().contains(13));
}

void TestDataSelector::quickPasteCaptionsCompareLoosely()
{
    QuickPasteMenu menu;
    const QHash<int, QString> captions {{1, "&Company"}, {2, "COMPANY"}, {3, "Web &site"}, {4, "Q&&A"}, {5, "QA"}};
    menu.setCaptionLookup([&captions](int index) { return captions.value(index); });
    QVERIFY(menu.addQuickPasteItem(1));
    QVERIFY(!menu.addQuickPasteItem(2));
    QVERIFY(menu.addQuickPasteItem(3));
    QVERIFY(menu.containsCaption("web site"));
    QVERIFY(!menu.containsCaption("website"));
    // "&&" stands for an ampersand, so "Q&A" and "QA" differ.
    QVERIFY(menu.addQuickPasteItem(4));
    QVERIFY(menu.addQuickPasteItem(5));
    QCOMPARE(menu.quickPasteItems(), (QVector<int> {1, 3, 4, 5}));
    QCOMPARE(QuickPasteMenu::withoutAccelerators("Q&&A"), QString("Q&A"));
    QCOMPARE(QuickPasteMenu::withoutAccelerators("Pass&word"), QString("Password"));
}

void TestDataSelector::quickPasteLoadedTriggeredAndSaved()
{
    DataSelectorFixture f("[PopUpList]\n1=5\n2=14\n3=-1\n4=7\n");
    f.window();
    QCOMPARE(f.quickPaste.quickPasteItems(), (QVector<int> {5, 14}));
    QCOMPARE(f.quickPaste.captions(), (QStringList {"TelNo", "Program"}));

    QSignalSpy chosen(&f.quickPaste, &QuickPasteMenu::itemChosen);
    QVERIFY(f.quickPaste.triggerItem(2));
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.first().at(0).toInt(), 14);
    QVERIFY(!f.quickPaste.triggerItem(3));
    QVERIFY(!f.quickPaste.triggerItem(0));
    QCOMPARE(chosen.count(), 1);

    f.show();
    f.ctrlClick(0);
    f.config().savePopUpList(f.quickPaste);
    const IniDocument ini = IniDocument::load(f.dir.file("quillet.ini"));
    QCOMPARE(ini.readInteger("PopUpList", "1", -1), 5);
    QCOMPARE(ini.readInteger("PopUpList", "2", -1), 14);
    QCOMPARE(ini.readInteger("PopUpList", "3", -1), 0);
}

void TestDataSelector::powerPasteColumnsOfSixteen()
{
    DataSelectorFixture f;
    f.window();
    const PowerPasteMenu& menu = f.powerPaste;
    QCOMPARE(f.config().menuItemsPerColumn, 16);
    QCOMPARE(menu.count(), 3 + 1 + 46 + 1 + 2);
    QCOMPARE(breakPositions(menu), (QVector<int> {16, 32, 48}));
    const QVector<QVector<int>> columns = menu.columns();
    QCOMPARE(columns.size(), 4);
    QCOMPARE(columns.at(0).size(), 16);
    QCOMPARE(columns.at(1).first(), 16);
    QCOMPARE(columns.at(3), (QVector<int> {48, 49, 50, 51, 52}));
    QCOMPARE(menu.columnOf(15), 0);
    QCOMPARE(menu.columnOf(16), 1);
    QCOMPARE(menu.columnOf(52), 3);

    QCOMPARE(fixedItems(menu), kFixedItems);
    QCOMPARE(menu.topSeparatorPosition(), 3);
    QCOMPARE(menu.bottomSeparatorPosition(), 50);
    QCOMPARE(menu.item(4).caption, QString("> Company"));
    QCOMPARE(menu.item(4).catalogueIndex, 0);
    QCOMPARE(menu.item(16).catalogueIndex, 12);
    QCOMPARE(menu.item(17).catalogueIndex, 14);
    QCOMPARE(menu.item(19).caption, QString("> Prog URL"));
    QVERIFY(!propertyIndices(menu).contains(13));

    // The layout puts every column to the right of the one before.
    QVERIFY(menu.itemRect(16).left() > menu.itemRect(15).right());
    QCOMPARE(menu.itemRect(16).top(), menu.itemRect(0).top());
    QVERIFY(menu.itemRect(51).top() > menu.itemRect(48).top());
}

void TestDataSelector::powerPasteRebuildKeepsFixedItems()
{
    DataSelectorFixture f;
    f.window();
    for (int index : {0, 5, 20, 46})
        f.properties()[index].inPowerPaste = false;
    f.config().menuItemsPerColumn = 10;
    f.window().buildPowerPasteMenu();
    f.window().buildPowerPasteMenu();

    QVector<int> expected;
    for (int i = 0; i < 47; ++i) {
        if (i != 13 && i != 0 && i != 5 && i != 20 && i != 46)
            expected.append(i);
    }
    QCOMPARE(propertyIndices(f.powerPaste), expected);
    QCOMPARE(fixedItems(f.powerPaste), kFixedItems);
    QCOMPARE(f.powerPaste.count(), 7 + 42);
    QCOMPARE(breakPositions(f.powerPaste), (QVector<int> {10, 20, 30, 40}));
    QCOMPARE(f.powerPaste.item(4).caption, QString("> WebSite"));

    // Every entry turned off leaves the fixed items in one column.
    for (int i = 0; i < 47; ++i)
        f.properties()[i].inPowerPaste = false;
    f.window().buildPowerPasteMenu();
    QCOMPARE(fixedItems(f.powerPaste), kFixedItems);
    QCOMPARE(f.powerPaste.count(), 7);
    QCOMPARE(f.powerPaste.columnCount(), 1);

    // A setting below 1 is taken as 16 instead of dividing by it.
    for (int i = 0; i < 47; ++i)
        f.properties()[i].inPowerPaste = true;
    for (int setting : {0, -3}) {
        f.config().menuItemsPerColumn = setting;
        f.window().buildPowerPasteMenu();
        QCOMPARE(breakPositions(f.powerPaste), (QVector<int> {16, 32, 48}));
    }
}

void TestDataSelector::powerPasteSettingsFromTheFile()
{
    DataSelectorFixture f("[PowerPaste]\nCompany=0\nProg URL=0\nMenu items per column=8\n");
    f.window();
    QVERIFY(!propertyIndices(f.powerPaste).contains(0));
    QVERIFY(!propertyIndices(f.powerPaste).contains(16));
    QCOMPARE(propertyIndices(f.powerPaste).size(), 44);
    QCOMPARE(breakPositions(f.powerPaste), (QVector<int> {8, 16, 24, 32, 40}));
}

void TestDataSelector::powerPasteKeyboard()
{
    DataSelectorFixture f;
    f.window();
    PowerPasteMenu& menu = f.powerPaste;
    QSignalSpy cut(&menu, &PowerPasteMenu::cutRequested);
    QSignalSpy property(&menu, &PowerPasteMenu::propertyChosen);
    QSignalSpy password(&menu, &PowerPasteMenu::passwordChosen);
    QSignalSpy userName(&menu, &PowerPasteMenu::userNameChosen);

    menu.popup(QPoint(20, 20));
    QVERIFY(menu.isVisible());
    QTest::keyClick(&menu, Qt::Key_Down);
    QCOMPARE(menu.activePosition(), 0);
    QTest::keyClick(&menu, Qt::Key_Return);
    QCOMPARE(cut.count(), 1);
    QVERIFY(!menu.isVisible());

    // Down skips the separator; Right goes to the next column at the same height.
    menu.popup(QPoint(20, 20));
    QTest::keyClick(&menu, Qt::Key_Down);
    QTest::keyClick(&menu, Qt::Key_Down);
    QTest::keyClick(&menu, Qt::Key_Down);
    QTest::keyClick(&menu, Qt::Key_Down);
    QCOMPARE(menu.activePosition(), 4);
    QTest::keyClick(&menu, Qt::Key_Right);
    QCOMPARE(menu.activePosition(), 20);
    QTest::keyClick(&menu, Qt::Key_Left);
    QCOMPARE(menu.activePosition(), 4);
    QTest::keyClick(&menu, Qt::Key_Up);
    QCOMPARE(menu.activePosition(), 2);
    QTest::keyClick(&menu, Qt::Key_End);
    QCOMPARE(menu.activePosition(), 52);
    // Up and Down run on from one column into the next.
    QTest::keyClick(&menu, Qt::Key_Home);
    QTest::keyClick(&menu, Qt::Key_Right);
    QCOMPARE(menu.activePosition(), 16);
    QTest::keyClick(&menu, Qt::Key_Up);
    QCOMPARE(menu.activePosition(), 15);
    // Right from low down in a full column onto the short last column lands on its last item.
    QTest::keyClick(&menu, Qt::Key_Right);
    QTest::keyClick(&menu, Qt::Key_Right);
    QCOMPARE(menu.activePosition(), 47);
    QTest::keyClick(&menu, Qt::Key_Right);
    QCOMPARE(menu.activePosition(), 52);
    QTest::keyClick(&menu, Qt::Key_Right);
    QCOMPARE(menu.activePosition(), 52);
    QTest::keyClick(&menu, Qt::Key_Up);
    QTest::keyClick(&menu, Qt::Key_Enter);
    QCOMPARE(userName.count(), 1);

    // Accelerators choose at once.
    menu.popup(QPoint(20, 20));
    QTest::keyClick(&menu, 'W');
    QCOMPARE(password.count(), 1);
    QVERIFY(!menu.isVisible());

    menu.popup(QPoint(20, 20));
    QTest::keyClick(&menu, Qt::Key_Down);
    QTest::keyClick(&menu, Qt::Key_Right);
    QTest::keyClick(&menu, Qt::Key_Space);
    QCOMPARE(property.count(), 1);
    QCOMPARE(property.first().at(0).toInt(), 12);

    menu.popup(QPoint(20, 20));
    QTest::keyClick(&menu, Qt::Key_Escape);
    QVERIFY(!menu.isVisible());
    QCOMPARE(cut.count() + property.count() + password.count() + userName.count(), 4);
}

void TestDataSelector::powerPasteMouse()
{
    DataSelectorFixture f;
    f.window();
    PowerPasteMenu& menu = f.powerPaste;
    QSignalSpy property(&menu, &PowerPasteMenu::propertyChosen);
    QSignalSpy copy(&menu, &PowerPasteMenu::copyRequested);
    menu.popup(QPoint(20, 20));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));

    // Other buttons and separators choose nothing.
    QTest::mouseClick(&menu, Qt::RightButton, {}, menu.itemRect(5).center());
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.itemRect(3).center());
    QVERIFY(menu.isVisible());
    QCOMPARE(property.count(), 0);

    QTest::mouseMove(&menu, menu.itemRect(1).center());
    QCOMPARE(menu.activePosition(), 1);
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.itemRect(5).center());
    QCOMPARE(property.count(), 1);
    QCOMPARE(property.first().at(0).toInt(), 1);
    QVERIFY(!menu.isVisible());

    QVERIFY(menu.triggerItem(1));
    QCOMPARE(copy.count(), 1);
    QVERIFY(!menu.triggerItem(3));
    QVERIFY(!menu.triggerItem(53));
}

void TestDataSelector::translatedCaptions()
{
    DataSelectorFixture f("[Config]\nLanguage=Deutsch\n[PopUpList]\n1=0\n");
    f.dir.writeFile(
        "Deutsch.lng", "[Translations]\nfrmData.Caption=Datenauswahl\n[Messages]\nCompany=Firma\nProgram=Programm\n");
    useLanguageOf(&f.config());
    f.window();
    useLanguageOf(nullptr);
    const DataSelectorModel& model = f.window().model();
    QCOMPARE(f.window().windowTitle(), QString("Datenauswahl"));
    QCOMPARE(model.index(0, 0).data().toString(), QString("Firma"));
    QCOMPARE(model.index(14, 0).data().toString(), QString("Programm"));
    QCOMPARE(f.quickPaste.captions(), QStringList {"Firma"});
    // The Power Paste menu keeps the untranslated captions.
    QCOMPARE(f.powerPaste.item(4).caption, QString("> Company"));
}

QTEST_MAIN(TestDataSelector)
#include "TestDataSelector.moc"
