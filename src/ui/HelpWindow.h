#pragma once

#include "HelpPages.h"

#include <QStringList>
#include <QUrl>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;

// The program's help: HTML pages compiled into the program, shown in one
// help window with a contents list, a keyword index and a page browser.
// Pages are reached by context number as well (10 main window, 30 site and
// data selectors, 40 company and program editor, 1580 site updates and login).
//
// The pages are those of the language in force (HelpPages), and follow a
// language switch while the window is open: contents, index and the page
// shown change at once.
//
// The static functions show the one help window of the run, creating it on
// first use as a window of parent (or of its top-level window); it stays
// open beside the program's other windows.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    using Topic = HelpPages::Topic;

    explicit HelpWindow(QWidget* parent = nullptr);

    static void showContents(QWidget* parent);
    static void showIndex(QWidget* parent);
    // An unknown context number shows the contents page.
    static void showTopic(int contextId, QWidget* parent);
    // The help window the static functions show, or nullptr before first use.
    static HelpWindow* instance();

    // The pages in contents order with their keywords and context numbers.
    const QList<Topic>& topics() const { return m_pages.topics(); }
    // The page of a context number; empty for an unknown number.
    QString pageForContext(int contextId) const;
    // The page shown now, whatever its language: qrc:/help/ and the page's file name.
    QUrl currentPage() const;

    void openContents();
    void openIndex(const QString& partialKeyword = QString());
    bool openContext(int contextId);
    void openPage(const QString& page);

    // Makes the help pages available as resources (the window library is a
    // static library, so its resources need an explicit start).
    static void initResources();

private:
    static HelpWindow* ensureInstance(QWidget* parent);
    // Takes the pages of the language in force: contents, index and the page shown.
    void followLanguage();
    void loadTopics();
    void fillIndex();
    void filterIndex(const QString& text);
    void indexItemActivated(QListWidgetItem* item);
    // Marks the contents entry of the page shown (none for a page without one).
    void markContentsEntry(const QUrl& shown);
    void present();

    HelpPages m_pages;
    QTabWidget* m_tabs;
    QTreeWidget* m_contents;
    QLineEdit* m_indexFilter;
    QListWidget* m_index;
    QTextBrowser* m_browser;
};
