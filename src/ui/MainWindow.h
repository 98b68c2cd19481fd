#pragma once

#include "BrowserHistory.h"
#include "EmailSubmission.h"
#include "Settings.h"

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
class QDialog;
class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QTabWidget;
class QToolBar;
class QuickPasteMenu;
class QuickPasteShortcuts;
class CompletingComboBox;
class SubmissionDatabase;
class WindowTranslator;
class DataSelector;
class ReportWindow;
class SiteCheckWindow;
class RunController;
class SiteSelector;
class SiteUpdateCommand;

// The main window: the embedded browser with its toolbar and address box, the
// programs list, the "Sites" and "Data" tabs, and the menus that reach every
// command. It turns the user's commands into calls of the data module, the
// form fill commands and the other windows.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window, applies the language, builds the language
    // menu and restores the geometry. Touches neither the database nor the selectors.
    MainWindow(Settings& config, PropertyCatalogue& properties, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The windows and the data module created after the main window.
    void setDataModule(SubmissionDatabase* dm);
    void setSelectors(DataSelectorRows* rows, DataSelector* dataSelector, SiteSelector* siteSelector);
    void setReportWindow(ReportWindow* report);

    // Docks the two selectors into the tabs and shows them.
    void setUpTabs();
    bool tabsReady() const { return m_tabsReady; }

    // Writes the geometry and the Quick Paste list (the window's part of shutdown).
    void saveWindowState();

    // Fills the programs list with every program (as the site selector's
    // creation does) and shows the program whose values are in force.
    void loadProgramsList();

    PowerPasteMenu& powerPasteMenu() { return *m_powerPaste; }
    QuickPasteMenu& quickPasteMenu() { return *m_quickPaste; }
    BrowserView* browser() const { return m_browser; }
    CompletingComboBox* addressBox() const { return m_address; }
    QComboBox* programsComboBox() const { return m_programs; }
    const BrowserHistory& history() const { return m_history; }
    QMenu* languageMenu() const { return m_languageMenu; }
    SiteUpdateCommand* siteUpdates() const { return m_siteUpdates; }
    // The submission run's menus, panel and progress (made by setUpTabs).
    RunController* runController() const { return m_runController; }

    // Navigation.
    void findAddress();
    void goBack();
    void goForward();
    void openHomePage();
    void openSearchPage();
    void openSubmitPage();
    void openUpdatePage();
    void sendMakeVelmoraFriendlyRequest();
    void translateSite(const QString& code);
    void searchWithGoogle();

    // Form commands.
    void saveForm();
    void autoFillForm();
    // Outlines the controls "Auto fill form" would set, each with the value it
    // takes as tooltip, or (show false) removes the outlines.
    void previewAutoFill(bool show);

    // Pastes text into the page's focused field through the clipboard.
    void pastePropertyValueInBrowser(const QString& text);

    void selectProgram(int index);
    // Opens the Replace program dialog (it closes itself); nullptr without a data module.
    QDialog* showReplaceDialog();
    void switchLanguage(const QString& language);

    // The languages the Language menu offers: the *.lng files of the program
    // directory and the shipped ones (LanguageFolders), by name.
    static QStringList languageNames(const QString& programDirectory);
    // The window texts a language file may translate.
    static const QStringList& translationPaths();

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
    void applyPanelWidth();
    // After the editor: the program it left in the catalogue becomes the
    // current program everywhere (flags, data selector, site colours).
    void followLoadedProgram();
    void updateNavigationActions();
    void navigationCompleted(const QUrl& url);
    void downloadBegins();
    void downloadComplete(bool ok);
    void navigateTo(const QString& address);
    QString navLink(const QString& kind) const;
    // True when a site list address may be opened; otherwise says why.
    bool isOpenableSiteLink(const QString& link) const;
    void mailSubmission(EmailSubmission::Page page);
    void runFormCommand(int command);
    void showStatus(const QString& text);
    void pasteQuickPasteItem(int n);
    void clearFlags(const QString& flag);
    void openConfiguration();
    // Sites > Check site addresses...: the check window, started anew.
    void openSiteCheck();
    bool requireDataModule() const;

    Settings& m_config;
    PropertyCatalogue& m_properties;
    SubmissionDatabase* m_dm = nullptr;
    DataSelectorRows* m_rows = nullptr;
    QPointer<DataSelector> m_dataSelector;
    QPointer<SiteSelector> m_siteSelector;
    QPointer<ReportWindow> m_reportWindow;
    QPointer<SiteCheckWindow> m_siteCheck;

    BrowserHistory m_history;
    bool m_tabsReady = false;
    bool m_formDestroyed = false;

    QWidget* m_coolBar = nullptr;
    QToolBar* m_toolBar = nullptr;
    BusyIndicator* m_animation = nullptr;
    CompletingComboBox* m_address = nullptr;
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
    SiteUpdateCommand* m_siteUpdates = nullptr;
    RunController* m_runController = nullptr;
    WindowTranslator* m_language = nullptr;
    int m_panelWidth = 185;
    bool m_panelWidthSaved = false; // a pane width was stored at an earlier exit

    QAction* m_backAction = nullptr;
    QAction* m_forwardAction = nullptr;
    QAction* m_stopAction = nullptr;
    QAction* m_refreshAction = nullptr;
    QAction* m_saveFormAction = nullptr;
    QAction* m_autofillAction = nullptr;
    QAction* m_previewAction = nullptr;
    QAction* m_editSiteAction = nullptr;
    QAction* m_showHiddenAction = nullptr;
};
