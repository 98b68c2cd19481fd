#include "DataFixture.h"
#include "DataSelector.h"
#include "DesktopStartup.h"
#include "HelpWindow.h"
#include "IniDocument.h"
#include "MainWindow.h"
#include "QuilletApplication.h"
#include "SiteListModel.h"
#include "SiteSelector.h"

#include <QHeaderView>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

// The right-hand pane's width and its columns, and the help window's contents
// list, as a new user first sees them.
class TestPaneAndHelp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void firstRunPaneShowsHeadersAndCaptionsWhole();
    void paneKeepsTheWidthTheUserLeftItAt();
    void helpContentsMarkThePageShown();
    void helpContentsEntriesAreShownWhole();

private:
    void start();
    QWidget* pane() const { return m_startup->mainWindow()->findChild<QWidget*>(str("Panel1")); }
    QSplitter* splitter() const { return m_startup->mainWindow()->findChild<QSplitter*>(str("Splitter")); }

    std::unique_ptr<DataFixture> m_data;
    std::unique_ptr<RecordingMessageSink> m_sink;
    std::unique_ptr<DesktopStartup> m_startup;
};

void TestPaneAndHelp::init()
{
    m_data = std::make_unique<DataFixture>();
    m_data->open();
    m_data->addSite(str("Brookside Software Archive"));
    m_data->addSite(str("Cobalt Shareware"));
    m_data->close();
    m_sink = std::make_unique<RecordingMessageSink>();
}

void TestPaneAndHelp::cleanup()
{
    if (m_startup)
        m_startup->shutdown();
    m_startup.reset();
    m_sink.reset();
    m_data.reset();
}

void TestPaneAndHelp::start()
{
    m_startup = std::make_unique<DesktopStartup>(m_data->dir.path());
    m_startup->start();
    m_startup->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_startup->mainWindow()));
}

void TestPaneAndHelp::firstRunPaneShowsHeadersAndCaptionsWhole()
{
    start();
    auto* grid = m_startup->siteSelector()->findChild<QTableView*>(str("sitesDBGrid"));
    QHeaderView* header = grid->horizontalHeader();
    // Both headers whole, and no column pushed out of sight.
    QTRY_VERIFY(grid->viewport()->width() > 0);
    for (int column : {int(SiteListModel::SiteNameColumn), int(SiteListModel::HideColumn)}) {
        const QString text = grid->model()->headerData(column, Qt::Horizontal).toString();
        QVERIFY2(header->sectionSize(column) >= header->sectionSizeHint(column), qPrintable(text));
        QVERIFY2(header->sectionSize(column) > QFontMetrics(header->font()).horizontalAdvance(text), qPrintable(text));
    }
    QVERIFY(
        header->sectionViewportPosition(SiteListModel::HideColumn) + header->sectionSizeHint(SiteListModel::HideColumn)
        <= grid->viewport()->width());
    // A usual site name is not cut either.
    const QString name = str("Brookside Software Archive");
    QFont bold = grid->font();
    bold.setBold(true);
    bold.setItalic(true);
    QVERIFY(header->sectionSize(SiteListModel::SiteNameColumn) > QFontMetrics(bold).horizontalAdvance(name));

    // The Data tab: every caption whole, with room beside it for the values.
    m_startup->mainWindow()->findChild<QTabWidget*>(str("PageControl"))->setCurrentIndex(1);
    auto* data = m_startup->dataSelector()->findChild<QTableView*>(str("StringGrid1"));
    QTRY_VERIFY(data->isVisible());
    int widest = 0;
    for (int row = 0; row < data->model()->rowCount(); ++row)
        widest
            = std::max(widest, data->fontMetrics().horizontalAdvance(data->model()->index(row, 0).data().toString()));
    QVERIFY(data->columnWidth(0) > widest);
    QVERIFY(data->viewport()->width() - data->columnWidth(0) >= data->columnWidth(0) / 2);

    // The pane opened at least as wide as it was designed, and as its lists need.
    QVERIFY(pane()->width() >= 185);
    QVERIFY(pane()->width() >= m_startup->siteSelector()->sizeHint().width());
}

void TestPaneAndHelp::paneKeepsTheWidthTheUserLeftItAt()
{
    m_data->dir.writeFile(str("quillet.ini"), "[Geometry]\nBrowserW=900\nBrowserH=600\nSplitter Location=420\n");
    start();
    QTRY_COMPARE(pane()->width(), 420);

    // The user drags the splitter 90 pixels to the right.
    QSplitterHandle* handle = splitter()->handle(1);
    const QPoint grip = handle->rect().center();
    const QPoint target = handle->mapToGlobal(grip + QPoint(90, 0));
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, handle->mapFromGlobal(target));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, handle->mapFromGlobal(target));
    QTRY_COMPARE(pane()->width(), 330);

    // Closing the window stores the width as left.
    m_startup->mainWindow()->close();
    m_startup->shutdown();
    QCOMPARE(IniDocument::load(m_data->dir.file(str("quillet.ini")))
                 .readInteger(str("Geometry"), str("Splitter Location"), 0),
        330);
    m_startup.reset();

    // And the next start opens with it.
    start();
    QTRY_COMPARE(pane()->width(), 330);
}

void TestPaneAndHelp::helpContentsMarkThePageShown()
{
    HelpWindow help;
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    auto* contents = help.findChild<QTreeWidget*>(str("helpContents"));
    auto* browser = help.findChild<QTextBrowser*>(str("helpBrowser"));
    QVERIFY(contents && browser);
    help.openContents();
    QCOMPARE(contents->currentItem()->text(0), str("Contents"));

    // A link in the page, then another, then Back: the list follows each.
    browser->setSource(QUrl(str("forms.html")));
    QCOMPARE(help.currentPage().fileName(), str("forms.html"));
    QCOMPARE(contents->currentItem()->text(0), str("Saving and filling forms"));
    browser->setSource(QUrl(str("qrc:/help/paste-menus.html#quick")));
    QCOMPARE(contents->currentItem()->text(0), str("Power Paste and Quick Paste"));
    browser->backward();
    QCOMPARE(contents->currentItem()->text(0), str("Saving and filling forms"));
    browser->backward();
    QCOMPARE(contents->currentItem()->text(0), str("Contents"));
    browser->forward();
    QCOMPARE(contents->currentItem()->text(0), str("Saving and filling forms"));
    QCOMPARE(contents->selectedItems().size(), 1);
}

void TestPaneAndHelp::helpContentsEntriesAreShownWhole()
{
    HelpWindow help;
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    auto* contents = help.findChild<QTreeWidget*>(str("helpContents"));
    QVERIFY(contents->topLevelItemCount() > 5);
    QTRY_VERIFY(contents->viewport()->width() > 0);
    for (int i = 0; i < contents->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = contents->topLevelItem(i);
        const int needed = contents->fontMetrics().horizontalAdvance(item->text(0));
        const QRect shown = contents->visualItemRect(item);
        QVERIFY2(shown.width() > needed, qPrintable(item->text(0)));
        QVERIFY2(shown.right() <= contents->viewport()->width(), qPrintable(item->text(0)));
    }
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QuilletApplication app(argc, argv);
    TestPaneAndHelp test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestPaneAndHelp.moc"
