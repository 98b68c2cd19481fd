#pragma once

#include "BrowserHistory.h"
#include "TConfig.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class BrowserView;
class BusyIndicator;
class DataSelectorRows;
class PageFormAdapter;
class PowerPasteMenu;
class ProgramReplace;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QTabWidget;
class QToolBar;
class QuickPasteMenu;
class QuickPasteShortcuts;
class TCompletingComboBox;
class TDM1;
class TLanguage;
class TfrmData;
class TfrmReport;
class TfrmSites;

// The main window: the embedded browser with its toolbar and address box, the
// programs list, the "Sites" and "Data" tabs, and the menus that reach every
// command. It turns the user's commands into calls of the data module, the
// form fill commands and the other windows.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // FormCreate: builds the window, applies the language, builds the language
    // menu and restores the geometry. Touches neither the database nor the selectors.
    TForm1(TConfig& config, TProperties& properties, QWidget* parent = nullptr);
    ~TForm1() override;

    // The windows and the data module created after the main window.
    void setDataModule(TDM1* dm);
    void setSelectors(DataSelectorRows* rows, TfrmData* dataSelector, TfrmSites* siteSelector);
    void setReportWindow(TfrmReport* report);

    // Docks the two selectors into the tabs and shows them.
    void SetUpTabs();
    bool tabsReady() const { return m_tabsReady; }

    // Writes the geometry and the Quick Paste list (the window's part of shutdown).
    void FormDestroy();

    // Fills the programs list with every program (as the site selector's creation does).
    void loadProgramsList();

    PowerPasteMenu& powerPasteMenu() { return *m_powerPaste; }
    QuickPasteMenu& quickPasteMenu() { return *m_quickPaste; }
    BrowserView* browser() const { return m_browser; }
    TCompletingComboBox* addressBox() const { return m_address; }
    QComboBox* programsComboBox() const { return m_programs; }
    const BrowserHistory& history() const { return m_history; }
    QMenu* languageMenu() const { return m_languageMenu; }

    // Navigation.
    void FindAddress();
    void BackClick();
    void ForwardClick();
    void HomePageClick();
    void SearchPageClick();
    void SubmitPageClick();
    void UpdatePageClick();
    void TranslateSite(const QString& code);
    void Googlesearch1Click();

    // Form commands.
    void Saveform1Click();
    void autofill1Click();

    // Pastes text into the page's focused field through the clipboard.
    void PastePropertyValueInBrowser(const QString& text);

    void programsComboBoxChange(int index);
    void LangExec(const QString& language);

    // Where the language files are looked for and the menu built from.
    static QStringList languageNames(const QString& programDirectory);

Q_SIGNALS:
    // A form command finished; status is what the status bar shows.
    void formCommandFinished(const QString& status);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions();
    void buildMenus();
    void buildCentralArea();
    void buildLanguageMenu();
    void restoreGeometryFromSettings();
    void updateNavigationActions();
    void navigationCompleted(const QUrl& url);
    void downloadBegins();
    void downloadComplete(bool ok);
    void navigateTo(const QString& address);
    QString navLink(const QString& kind) const;
    void runFormCommand(bool capture);
    void showStatus(const QString& text);
    void pasteQuickPasteItem(int n);
    void clearFlags(const QString& flag);
    void showReplaceDialog();
    void openConfiguration();
    bool requireDataModule() const;

    TConfig& m_config;
    TProperties& m_properties;
    TDM1* m_dm = nullptr;
    DataSelectorRows* m_rows = nullptr;
    QPointer<TfrmData> m_dataSelector;
    QPointer<TfrmSites> m_siteSelector;
    QPointer<TfrmReport> m_reportWindow;

    BrowserHistory m_history;
    bool m_tabsReady = false;
    bool m_formDestroyed = false;

    QWidget* m_coolBar = nullptr;
    QToolBar* m_toolBar = nullptr;
    BusyIndicator* m_animation = nullptr;
    TCompletingComboBox* m_address = nullptr;
    BrowserView* m_browser = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_panel = nullptr;
    QComboBox* m_programs = nullptr;
    QTabWidget* m_pageControl = nullptr;
    QWidget* m_sitesTab = nullptr;
    QWidget* m_dataTab = nullptr;
    QLabel* m_statusText = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QMenu* m_languageMenu = nullptr;
    PowerPasteMenu* m_powerPaste = nullptr;
    QuickPasteMenu* m_quickPaste = nullptr;
    std::unique_ptr<QuickPasteShortcuts> m_shortcuts;
    std::unique_ptr<PageFormAdapter> m_pageAdapter;
    std::unique_ptr<ProgramReplace> m_replace;
    TLanguage* m_language = nullptr;
    int m_panelWidth = 185;

    QAction* m_backAction = nullptr;
    QAction* m_forwardAction = nullptr;
    QAction* m_stopAction = nullptr;
    QAction* m_refreshAction = nullptr;
    QAction* m_saveFormAction = nullptr;
    QAction* m_autofillAction = nullptr;
    QAction* m_editSiteAction = nullptr;
    QAction* m_showHiddenAction = nullptr;
};
