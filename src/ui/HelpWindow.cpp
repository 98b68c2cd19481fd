#include "HelpWindow.h"
#include "LanguageSwitch.h"
#include "MessageTranslator.h"
#include "Settings.h"
#include "UiTranslation.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void initHelpResource()
{
    Q_INIT_RESOURCE(help);
}

namespace {

const QString kRoot = QStringLiteral("qrc:/help/");
const QString kContentsPage = QStringLiteral("index.html");

QPointer<HelpWindow>& theInstance()
{
    static QPointer<HelpWindow> window;
    return window;
}

// The pages of the language in force; English without one.
HelpPages pagesInForce()
{
    HelpWindow::initResources();
    const Settings* config = languageSettings();
    return HelpPages(QStringLiteral(":/help"), config ? config->language : QString());
}

// Shows qrc:/help/PAGE as the pages of the language in force have it, so a
// link, Back and Forward reach the page of that language, or the English
// one where it has none.
class HelpBrowser : public QTextBrowser {
public:
    HelpBrowser(const HelpPages& pages, QWidget* parent)
        : QTextBrowser(parent)
        , m_pages(pages)
    { }

    QVariant loadResource(int type, const QUrl& name) override
    {
        static const QString prefix = QStringLiteral("/help/");
        if (name.scheme() != QLatin1String("qrc") || !name.path().startsWith(prefix))
            return QTextBrowser::loadResource(type, name);
        QFile file(m_pages.filePath(name.path().mid(prefix.size())));
        if (!file.open(QIODevice::ReadOnly))
            return QVariant();
        const QByteArray bytes = file.readAll();
        return type == QTextDocument::HtmlResource ? QVariant(QString::fromUtf8(bytes)) : QVariant(bytes);
    }

private:
    const HelpPages& m_pages;
};

} // namespace

void HelpWindow::initResources()
{
    static bool done = false;
    if (!done) {
        initHelpResource();
        done = true;
    }
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_pages(pagesInForce())
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quillet Help"));

    m_contents = new QTreeWidget(this);
    m_contents->setObjectName(QStringLiteral("helpContents"));
    m_contents->setHeaderHidden(true);
    m_contents->setRootIsDecorated(false);
    // Entries are shown whole: the column is as wide as the longest, with a
    // scroll bar when the pane is narrower.
    m_contents->header()->setStretchLastSection(false);
    m_contents->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_contents->setTextElideMode(Qt::ElideNone);

    auto* indexPage = new QWidget(this);
    indexPage->setObjectName(QStringLiteral("helpIndexPage"));
    m_indexFilter = new QLineEdit(indexPage);
    m_indexFilter->setObjectName(QStringLiteral("helpIndexFilter"));
    m_indexFilter->setPlaceholderText(QStringLiteral("Type a keyword"));
    m_indexFilter->setClearButtonEnabled(true);
    m_index = new QListWidget(indexPage);
    m_index->setObjectName(QStringLiteral("helpIndex"));
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(0, 0, 0, 0);
    indexLayout->addWidget(m_indexFilter);
    indexLayout->addWidget(m_index);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("helpTabs"));
    m_tabs->addTab(m_contents, QStringLiteral("Contents"));
    m_tabs->addTab(indexPage, QStringLiteral("Index"));

    m_browser = new HelpBrowser(m_pages, this);
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(true);

    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("helpToolBar"));
    QAction* back = toolBar->addAction(QStringLiteral("Back"), m_browser, &QTextBrowser::backward);
    back->setObjectName(QStringLiteral("helpBack"));
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    QAction* forward = toolBar->addAction(QStringLiteral("Forward"), m_browser, &QTextBrowser::forward);
    forward->setObjectName(QStringLiteral("helpForward"));
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    QAction* home = toolBar->addAction(QStringLiteral("Contents"), this, &HelpWindow::openContents);
    home->setObjectName(QStringLiteral("helpHome"));
    home->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    auto* close = new QAction(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("helpClose"));
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(toolBar);
    layout->addWidget(splitter, 1);
    resize(820, 580);

    loadTopics();
    fillIndex();
    // The contents pane opens wide enough for its longest entry.
    int widest = 0;
    for (const Topic& topic : topics())
        widest = std::max(widest, m_contents->fontMetrics().horizontalAdvance(topic.title));
    const int contentsWidth = std::max(220, widest + m_contents->indentation() + 2 * m_contents->frameWidth() + 16);
    splitter->setSizes({contentsWidth, std::max(300, width() - contentsWidth)});

    connect(m_contents, &QTreeWidget::itemActivated, this,
        [this](QTreeWidgetItem* item) { openPage(item->data(0, Qt::UserRole).toString()); });
    connect(m_contents, &QTreeWidget::itemClicked, this,
        [this](QTreeWidgetItem* item) { openPage(item->data(0, Qt::UserRole).toString()); });
    connect(m_indexFilter, &QLineEdit::textEdited, this, &HelpWindow::filterIndex);
    connect(m_indexFilter, &QLineEdit::returnPressed, this, [this] {
        if (QListWidgetItem* item = m_index->currentItem())
            indexItemActivated(item);
    });
    connect(m_index, &QListWidget::itemActivated, this, &HelpWindow::indexItemActivated);
    connect(m_index, &QListWidget::itemClicked, this, &HelpWindow::indexItemActivated);
    // Whatever shows a page (a link, Back, Forward), the contents list marks it.
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::markContentsEntry);
    connect(&LanguageSwitch::instance(), &LanguageSwitch::languageChanged, this, &HelpWindow::followLanguage);

    translateWindow(this);
    openPage(kContentsPage);
}

void HelpWindow::followLanguage()
{
    const QString folder = HelpPages::folderOf(languageSettings() ? languageSettings()->language : QString());
    if (folder == m_pages.folder())
        return;
    m_pages = pagesInForce();
    m_contents->clear();
    m_index->clear();
    loadTopics();
    fillIndex();
    filterIndex(m_indexFilter->text());
    // The same page and place in it, in the new language.
    m_browser->reload();
    markContentsEntry(m_browser->source());
}

void HelpWindow::loadTopics()
{
    for (const Topic& topic : topics()) {
        auto* item = new QTreeWidgetItem(m_contents, {topic.title});
        item->setData(0, Qt::UserRole, topic.page);
    }
}

void HelpWindow::fillIndex()
{
    struct Entry {
        QString keyword;
        const Topic* topic;
    };
    QList<Entry> entries;
    QHash<QString, int> uses;
    for (const Topic& topic : topics()) {
        for (const QString& keyword : topic.keywords) {
            entries.append({keyword, &topic});
            ++uses[keyword.toCaseFolded()];
        }
    }
    QList<QPair<QString, QString>> items; // shown text, page
    for (const Entry& entry : std::as_const(entries)) {
        // A keyword found on several pages names the page as well.
        const QString text = uses.value(entry.keyword.toCaseFolded()) > 1
            ? entry.keyword + QStringLiteral(" \u2014 ") + entry.topic->title
            : entry.keyword;
        items.append({text, entry.topic->page});
    }
    std::stable_sort(items.begin(), items.end(),
        [](const auto& a, const auto& b) { return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0; });
    for (const auto& entry : std::as_const(items)) {
        auto* item = new QListWidgetItem(entry.first, m_index);
        item->setData(Qt::UserRole, entry.second);
    }
}

void HelpWindow::filterIndex(const QString& text)
{
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return;
    for (int i = 0; i < m_index->count(); ++i) {
        QListWidgetItem* item = m_index->item(i);
        if (item->text().startsWith(wanted, Qt::CaseInsensitive)) {
            m_index->setCurrentItem(item);
            m_index->scrollToItem(item, QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

void HelpWindow::indexItemActivated(QListWidgetItem* item)
{
    if (item)
        openPage(item->data(Qt::UserRole).toString());
}

QString HelpWindow::pageForContext(int contextId) const
{
    return m_pages.pageForContext(contextId);
}

QUrl HelpWindow::currentPage() const
{
    return m_browser->source();
}

void HelpWindow::openPage(const QString& page)
{
    if (page.isEmpty())
        return;
    const QUrl url(kRoot + page);
    if (m_browser->source() != url)
        m_browser->setSource(url);
    markContentsEntry(m_browser->source());
}

void HelpWindow::markContentsEntry(const QUrl& shown)
{
    // The page's file name, whatever anchor or query the link had.
    const QString page = shown.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery).fileName();
    for (int i = 0; i < m_contents->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_contents->topLevelItem(i);
        if (item->data(0, Qt::UserRole).toString() == page) {
            m_contents->setCurrentItem(item);
            m_contents->scrollToItem(item);
            return;
        }
    }
    // A page without an entry leaves no entry marked.
    m_contents->setCurrentItem(nullptr);
    m_contents->clearSelection();
}

void HelpWindow::openContents()
{
    m_tabs->setCurrentIndex(0);
    openPage(kContentsPage);
}

void HelpWindow::openIndex(const QString& partialKeyword)
{
    m_tabs->setCurrentIndex(1);
    m_indexFilter->setText(partialKeyword);
    filterIndex(partialKeyword);
    m_indexFilter->setFocus();
}

bool HelpWindow::openContext(int contextId)
{
    const QString page = pageForContext(contextId);
    if (page.isEmpty()) {
        openContents();
        return false;
    }
    m_tabs->setCurrentIndex(0);
    openPage(page);
    return true;
}

void HelpWindow::present()
{
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

HelpWindow* HelpWindow::instance()
{
    return theInstance();
}

HelpWindow* HelpWindow::ensureInstance(QWidget* parent)
{
    QPointer<HelpWindow>& window = theInstance();
    if (!window) {
        window = new HelpWindow(parent ? parent->window() : nullptr);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        // An open help window never keeps the program running.
        window->setAttribute(Qt::WA_QuitOnClose, false);
        if (!window->parent()) {
            QObject::connect(qApp, &QCoreApplication::aboutToQuit, window.data(), &QObject::deleteLater);
        }
    }
    return window;
}

void HelpWindow::showContents(QWidget* parent)
{
    HelpWindow* window = ensureInstance(parent);
    window->openContents();
    window->present();
}

void HelpWindow::showIndex(QWidget* parent)
{
    HelpWindow* window = ensureInstance(parent);
    window->openIndex();
    window->present();
}

void HelpWindow::showTopic(int contextId, QWidget* parent)
{
    HelpWindow* window = ensureInstance(parent);
    window->openContext(contextId);
    window->present();
}
