#include "MainWindow.h"

#include "AboutDialog.h"
#include "AcceleratorKeys.h"
#include "BrowserView.h"
#include "BusyIndicator.h"
#include "CompletingComboBox.h"
#include "DataSelector.h"
#include "DataSelectorRows.h"
#include "EditorWindow.h"
#include "EmailSubmissionCommand.h"
#include "FocusReturn.h"
#include "FormFillCommands.h"
#include "HelpWindow.h"
#include "Helpers.h"
#include "LanguageFolders.h"
#include "LanguageSwitch.h"
#include "MemoText.h"
#include "MessageSink.h"
#include "MessageTranslator.h"
#include "OptionsDialog.h"
#include "PageFormAdapter.h"
#include "PowerPasteMenu.h"
#include "ProgramReplace.h"
#include "QuickPasteMenu.h"
#include "QuickPasteShortcuts.h"
#include "QuilletError.h"
#include "ReportWindow.h"
#include "RunController.h"
#include "SiteCheckWindow.h"
#include "SiteEditor.h"
#include "SiteLinkCheck.h"
#include "SiteSearchLinks.h"
#include "SiteSelector.h"
#include "SiteUpdateCommand.h"
#include "SubmissionDatabase.h"
#include "UiTranslation.h"
#include "WindowTexts.h"
#include "WindowTranslator.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWebEngineHistory>

namespace {

const QStringList kTranslationPaths {"Form1.Caption", "Form1.Label1.Caption", "Form1.File1.Caption",
    "Form1.Refreshdata1.Caption", "Form1.Language2.Caption", "Form1.Exit1.Caption", "Form1.Navigate1.Caption",
    "Form1.Back1.Caption", "Form1.Previous1.Caption", "Form1.View1.Caption", "Form1.Refresh1.Caption",
    "Form1.Dataselector1.Caption", "Form1.Sites1.Caption", "Form1.Configuration1.Caption", "Form1.Help1.Caption",
    "Form1.Index1.Caption", "Form1.Keywordsearch1.Caption", "Form1.Orlanhomepage1.Caption",
    "Form1.Quilletwebpage1.Caption", "Form1.About1.Caption", "Form1.CheckSiteAddresses1.Caption"};

constexpr int kDesignPanelWidth = 185;

QAction* addItem(QMenu* menu, const char* objectName, const QString& caption, const QKeySequence& shortcut = {})
{
    auto* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(objectName));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

} // namespace

MainWindow::MainWindow(Settings& config, PropertyCatalogue& properties, QWidget* parent)
    : QMainWindow(parent)
    , m_config(config)
    , m_properties(properties)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmora Submit"));
    m_powerPaste = new PowerPasteMenu(this);
    m_powerPaste->setObjectName(QStringLiteral("PowerPastePopupMenu"));
    m_quickPaste = new QuickPasteMenu(this);
    m_quickPaste->setObjectName(QStringLiteral("SaveDataPopUp"));

    buildActions();
    buildCentralArea();
    buildMenus();

    // The window's language component also decides what the messages read.
    installWidgetTranslation();
    m_language = createWindowLanguage(this, kTranslationPaths);
    m_language->setLanguageFile(languageFilePath(m_config));
    if (m_config.language != QLatin1String("English"))
        m_language->translate();
    buildLanguageMenu();
    // The status line holds a message of the language left: it goes.
    connect(&LanguageSwitch::instance(), &LanguageSwitch::languageChanged, m_statusText, &QLabel::clear);
    connect(&LanguageSwitch::instance(), &LanguageSwitch::languageChanged, m_powerPaste,
        &PowerPasteMenu::translateFixedItems);
    restoreGeometryFromSettings();

    m_shortcuts = std::make_unique<QuickPasteShortcuts>([this](int n) { pasteQuickPasteItem(n); });
    m_pageAdapter = std::make_unique<PageFormAdapter>(m_browser->page());
    // Alt+letter commands win over menu mnemonics, and the focus comes back
    // here when a dialog closes.
    new AcceleratorKeys(this, m_browser);
    new FocusReturn(this);

    if (QFile::exists(m_config.programDirectory() + QStringLiteral("admin.key"))) {
        m_editSiteAction->setVisible(true);
        m_editSiteAction->setEnabled(true);
    }
    updateNavigationActions();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildActions()
{
    QStyle* style = this->style();
    m_backAction = new QAction(style->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Back"), this);
    m_backAction->setObjectName(QStringLiteral("BackAction"));
    m_backAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    connect(m_backAction, &QAction::triggered, this, &MainWindow::goBack);
    m_forwardAction = new QAction(style->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Forward"), this);
    m_forwardAction->setObjectName(QStringLiteral("ForwardAction"));
    m_forwardAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    connect(m_forwardAction, &QAction::triggered, this, &MainWindow::goForward);
    m_stopAction = new QAction(style->standardIcon(QStyle::SP_BrowserStop), QStringLiteral("Stop"), this);
    m_stopAction->setObjectName(QStringLiteral("StopAction"));
    m_stopAction->setShortcut(QKeySequence(Qt::Key_Escape));
    m_refreshAction = new QAction(style->standardIcon(QStyle::SP_BrowserReload), QStringLiteral("Refresh"), this);
    m_refreshAction->setObjectName(QStringLiteral("RefreshAction"));
    m_refreshAction->setShortcut(QKeySequence(Qt::Key_F5));
    connect(m_refreshAction, &QAction::triggered, this, &MainWindow::findAddress);
    m_saveFormAction = new QAction(QStringLiteral("Save"), this);
    m_saveFormAction->setObjectName(QStringLiteral("SaveFormBtn"));
    connect(m_saveFormAction, &QAction::triggered, this, &MainWindow::saveForm);
    m_autofillAction = new QAction(style->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("Autofill"), this);
    m_autofillAction->setObjectName(QStringLiteral("LoadFormBtn"));
    connect(m_autofillAction, &QAction::triggered, this, &MainWindow::autoFillForm);
}

void MainWindow::buildCentralArea()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_coolBar = new QWidget(central);
    m_coolBar->setObjectName(QStringLiteral("CoolBar1"));
    auto* coolLayout = new QVBoxLayout(m_coolBar);
    coolLayout->setContentsMargins(2, 2, 2, 2);
    auto* toolRow = new QHBoxLayout();
    m_toolBar = new QToolBar(m_coolBar);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setMinimumHeight(26);
    for (QAction* action :
        {m_backAction, m_forwardAction, m_stopAction, m_refreshAction, m_saveFormAction, m_autofillAction})
        m_toolBar->addAction(action);
    toolRow->addWidget(m_toolBar, 1);
    m_animation = new BusyIndicator(m_coolBar);
    m_animation->setObjectName(QStringLiteral("Animate1"));
    toolRow->addWidget(m_animation);
    coolLayout->addLayout(toolRow);
    auto* addressRow = new QHBoxLayout();
    auto* addressLabel = new QLabel(QStringLiteral("Address"), m_coolBar);
    addressLabel->setObjectName(QStringLiteral("Label1"));
    addressRow->addWidget(addressLabel);
    m_address = new CompletingComboBox(m_coolBar);
    m_address->setObjectName(QStringLiteral("cboUrl"));
    m_address->setEditable(true);
    m_address->setTextCompletion(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->setFocusPolicy(Qt::ClickFocus);
    m_address->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    addressLabel->setBuddy(m_address);
    connect(m_address->lineEdit(), &QLineEdit::returnPressed, this, &MainWindow::findAddress);
    connect(m_address, qOverload<int>(&QComboBox::activated), this, [this](int) { findAddress(); });
    addressRow->addWidget(m_address, 1);
    coolLayout->addLayout(addressRow);
    layout->addWidget(m_coolBar);

    m_splitter = new QSplitter(Qt::Horizontal, central);
    m_splitter->setObjectName(QStringLiteral("Splitter"));
    m_splitter->setHandleWidth(8);
    m_browser = new BrowserView(m_splitter);
    m_browser->setObjectName(QStringLiteral("WebBrowser1"));
    m_browser->setContextMenuChoice([this] { return m_config.browserContextMenuIndex; });
    connect(m_browser, &BrowserView::powerPasteRequested, m_powerPaste, &PowerPasteMenu::popup);
    connect(m_browser, &BrowserView::quickPasteRequested, this, [this](const QPoint& at) { m_quickPaste->popup(at); });
    connect(m_browser, &QWebEngineView::loadStarted, this, &MainWindow::downloadBegins);
    connect(m_browser, &QWebEngineView::loadFinished, this, &MainWindow::downloadComplete);
    connect(m_browser, &QWebEngineView::urlChanged, this, &MainWindow::navigationCompleted);
    connect(m_browser->page(), &QWebEnginePage::linkHovered, this, &MainWindow::showStatus);
    m_stopAction->setEnabled(true);
    connect(m_stopAction, &QAction::triggered, m_browser, &QWebEngineView::stop);

    m_panel = new QWidget(m_splitter);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    auto* panelLayout = new QVBoxLayout(m_panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_programs = new QComboBox(m_panel);
    m_programs->setObjectName(QStringLiteral("programsComboBox"));
    m_programs->setEditable(false);
    connect(m_programs, qOverload<int>(&QComboBox::activated), this, &MainWindow::selectProgram);
    panelLayout->addWidget(m_programs);
    m_pageControl = new QTabWidget(m_panel);
    m_pageControl->setObjectName(QStringLiteral("PageControl"));
    m_sitesTab = new QWidget();
    m_sitesTab->setObjectName(QStringLiteral("sitesTabSheet"));
    m_dataTab = new QWidget();
    m_dataTab->setObjectName(QStringLiteral("dataTabSheet"));
    m_pageControl->addTab(m_sitesTab, QStringLiteral("Sites"));
    m_pageControl->addTab(m_dataTab, QStringLiteral("Data"));
    panelLayout->addWidget(m_pageControl, 1);
    m_splitter->addWidget(m_browser);
    m_splitter->addWidget(m_panel);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] { m_panelWidth = m_panel->width(); });
    layout->addWidget(m_splitter, 1);
    setCentralWidget(central);

    m_statusText = new QLabel(this);
    m_statusText->setObjectName(QStringLiteral("StatusPanel0"));
    WindowTexts::keepCodeText(m_statusText);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setFixedWidth(189);
    m_progressBar->hide();
    statusBar()->addWidget(m_progressBar);
    statusBar()->addWidget(m_statusText, 1);
    m_siteUpdates = new SiteUpdateCommand(m_config, this, m_statusText, m_progressBar);
    connect(m_stopAction, &QAction::triggered, m_siteUpdates, &SiteUpdateCommand::cancel);

    connect(m_powerPaste, &PowerPasteMenu::cutRequested, this,
        [this] { m_browser->page()->triggerAction(QWebEnginePage::Cut); });
    connect(m_powerPaste, &PowerPasteMenu::copyRequested, this,
        [this] { m_browser->page()->triggerAction(QWebEnginePage::Copy); });
    connect(m_powerPaste, &PowerPasteMenu::pasteRequested, this,
        [this] { m_browser->page()->triggerAction(QWebEnginePage::Paste); });
    connect(m_powerPaste, &PowerPasteMenu::propertyChosen, this,
        [this](int index) { pastePropertyValueInBrowser(m_rows ? m_rows->value(index) : QString()); });
    connect(m_powerPaste, &PowerPasteMenu::userNameChosen, this,
        [this] { pastePropertyValueInBrowser(m_siteSelector ? m_siteSelector->userName() : QString()); });
    connect(m_powerPaste, &PowerPasteMenu::passwordChosen, this,
        [this] { pastePropertyValueInBrowser(m_siteSelector ? m_siteSelector->password() : QString()); });
    connect(m_quickPaste, &QuickPasteMenu::itemChosen, this,
        [this](int index) { pastePropertyValueInBrowser(m_rows ? m_rows->value(index) : QString()); });
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    connect(addItem(file, "Refreshdata1", QStringLiteral("&Refresh data")), &QAction::triggered, this, [this] {
        if (!requireDataModule())
            return;
        m_dm->refreshData();
        if (m_rows)
            m_rows->refreshData();
    });
    m_languageMenu = file->addMenu(QStringLiteral("&Language"));
    m_languageMenu->setObjectName(QStringLiteral("Language2"));
    connect(addItem(file, "Checkforupdates1", QStringLiteral("Check for site &updates")), &QAction::triggered,
        m_siteUpdates, &SiteUpdateCommand::run);
    auto* saveForm = addItem(file, "Saveform1", QStringLiteral("&Save form"), QKeySequence(Qt::ALT | Qt::Key_S));
    connect(saveForm, &QAction::triggered, this, &MainWindow::saveForm);
    auto* autofill = addItem(file, "autofill1", QStringLiteral("&Auto fill form"), QKeySequence(Qt::ALT | Qt::Key_A));
    connect(autofill, &QAction::triggered, this, &MainWindow::autoFillForm);
    m_previewAction
        = addItem(file, "Previewautofill1", QStringLiteral("Pre&view auto fill"), QKeySequence(Qt::ALT | Qt::Key_P));
    m_previewAction->setCheckable(true);
    connect(m_previewAction, &QAction::triggered, this, &MainWindow::previewAutoFill);
    connect(addItem(file, "Replaceprogram1", QStringLiteral("Replace program")), &QAction::triggered, this,
        &MainWindow::showReplaceDialog);
    file->addSeparator();
    connect(addItem(file, "Exit1", QStringLiteral("E&xit")), &QAction::triggered, this, &QWidget::close);

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("View1"));
    connect(addItem(view, "Configuration1", QStringLiteral("&Configuration..."), QKeySequence(Qt::ALT | Qt::Key_C)),
        &QAction::triggered, this, &MainWindow::openConfiguration);
    connect(addItem(view, "Options", QStringLiteral("Options...")), &QAction::triggered, this, [this] {
        OptionsDialog options(m_config, m_properties, m_dm, m_dataSelector, this);
        options.exec();
    });
    view->addSeparator();
    auto* toolbar = addItem(view, "Toolbar3", QStringLiteral("&Toolbar"));
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    connect(toolbar, &QAction::toggled, m_coolBar, &QWidget::setVisible);
    auto* statusbar = addItem(view, "Statusbar2", QStringLiteral("Status &Bar"));
    statusbar->setCheckable(true);
    statusbar->setChecked(true);
    connect(statusbar, &QAction::toggled, statusBar(), &QWidget::setVisible);
    view->addSeparator();
    view->addAction(m_stopAction);
    m_refreshAction->setObjectName(QStringLiteral("RefreshAction"));
    view->addAction(m_refreshAction);

    QMenu* go = bar->addMenu(QStringLiteral("&Go"));
    go->setObjectName(QStringLiteral("Navigate1"));
    go->addAction(m_backAction);
    go->addAction(m_forwardAction);
    go->addSeparator();
    connect(addItem(go, "HomePage", QStringLiteral("&Home Page"), QKeySequence(Qt::ALT | Qt::Key_H)),
        &QAction::triggered, this, &MainWindow::openHomePage);
    connect(addItem(go, "SearchPage", QStringLiteral("&Search Page"), QKeySequence(Qt::ALT | Qt::Key_R)),
        &QAction::triggered, this, &MainWindow::openSearchPage);
    connect(addItem(go, "SubmitPage", QStringLiteral("Su&bmit Page"), QKeySequence(Qt::ALT | Qt::Key_B)),
        &QAction::triggered, this, &MainWindow::openSubmitPage);
    connect(addItem(go, "UpdatePage", QStringLiteral("&Update Page"), QKeySequence(Qt::ALT | Qt::Key_U)),
        &QAction::triggered, this, &MainWindow::openUpdatePage);

    QMenu* sites = bar->addMenu(QStringLiteral("S&ites"));
    sites->setObjectName(QStringLiteral("Sites1"));
    connect(addItem(sites, "HideCurrentSite", QStringLiteral("&Hide Current Site")), &QAction::triggered, this, [this] {
        if (requireDataModule())
            m_dm->hideCurrentSite();
    });
    m_showHiddenAction = addItem(sites, "ShowHiddenSites", QStringLiteral("Show H&idden Sites"));
    m_showHiddenAction->setCheckable(true);
    connect(m_showHiddenAction, &QAction::triggered, this, [this](bool on) {
        if (requireDataModule())
            m_dm->setShowHiddenSites(on);
    });
    sites->addSeparator();
    connect(addItem(sites, "ClearSubmittedFlags", QStringLiteral("Clear \"&Submitted\" Flags")), &QAction::triggered,
        this, [this] { clearFlags(QStringLiteral("Submitted")); });
    connect(addItem(sites, "ClearPublishedFlags", QStringLiteral("Clear \"&Published\" Flags")), &QAction::triggered,
        this, [this] { clearFlags(QStringLiteral("Published")); });
    connect(addItem(sites, "SendMakeVelmoraFriendlyRequest1", QStringLiteral("Send \"Make &Velmora Friendly\" Request"),
                QKeySequence(Qt::ALT | Qt::Key_T)),
        &QAction::triggered, this, &MainWindow::sendMakeVelmoraFriendlyRequest);
    m_editSiteAction = addItem(sites, "EditSite1", QStringLiteral("&Edit Site"), QKeySequence(Qt::ALT | Qt::Key_E));
    m_editSiteAction->setVisible(false);
    m_editSiteAction->setEnabled(false);
    connect(m_editSiteAction, &QAction::triggered, this, [this] {
        if (!requireDataModule())
            return;
        // The selector's typed account and notes reach the table before the editor reads it.
        if (m_siteSelector)
            m_siteSelector->commitEdits();
        try {
            SiteEditor editor(*m_dm, this);
            editor.exec();
        } catch (const QuilletError& error) {
            MessageSink::current().showMessage(error.text());
        }
    });
    connect(addItem(sites, "CheckSiteAddresses1", QStringLiteral("Check site &addresses...")), &QAction::triggered,
        this, &MainWindow::openSiteCheck);
    QMenu* translate = sites->addMenu(QStringLiteral("&Translate"));
    translate->setObjectName(QStringLiteral("Translate1"));
    const QList<QPair<const char*, QPair<QString, QString>>> languages {
        {"GermanEnglish1", {QStringLiteral("German to English"), QStringLiteral("de")}},
        {"SpanishEnglish1", {QStringLiteral("Spanish to English"), QStringLiteral("es")}},
        {"PortugueseEnglish1", {QStringLiteral("Portuguese to English"), QStringLiteral("pt")}},
        {"FrenchEnglish1", {QStringLiteral("French to English"), QStringLiteral("fr")}},
        {"ItalianEnglish1", {QStringLiteral("Italian to English"), QStringLiteral("it")}}};
    for (const auto& language : languages) {
        const QString code = language.second.second;
        connect(addItem(translate, language.first, language.second.first), &QAction::triggered, this,
            [this, code] { translateSite(code); });
    }
    connect(addItem(sites, "Googlesearch1", QStringLiteral("&Google search"), QKeySequence(Qt::CTRL | Qt::Key_G)),
        &QAction::triggered, this, &MainWindow::searchWithGoogle);

    QMenu* reports = bar->addMenu(QStringLiteral("Reports"));
    reports->setObjectName(QStringLiteral("Reports1"));
    connect(addItem(reports, "SubmitProgressStatusReport", QStringLiteral("&Software Submission Progress Status...")),
        &QAction::triggered, this, [this] {
            if (!m_reportWindow)
                return;
            QStringList names;
            for (int i = 0; i < m_programs->count(); ++i)
                names.append(m_programs->itemText(i));
            m_reportWindow->showProgressReport(names);
        });
    connect(addItem(reports, "SiteAccountsListReport", QStringLiteral("Site &Accounts List...")), &QAction::triggered,
        this, [this] {
            if (m_reportWindow)
                m_reportWindow->showAccountsReport();
        });
    connect(addItem(reports, "HiddenSitesListReport", QStringLiteral("&Hidden Sites List..")), &QAction::triggered,
        this, [this] {
            if (m_reportWindow)
                m_reportWindow->showHiddenSitesReport();
        });

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    connect(addItem(help, "Index1", QStringLiteral("&Index"), QKeySequence(Qt::Key_F1)), &QAction::triggered, this,
        [this] { HelpWindow::showContents(this); });
    connect(addItem(help, "Keywordsearch1", QStringLiteral("Keyword search")), &QAction::triggered, this,
        [this] { HelpWindow::showIndex(this); });
    help->addSeparator();
    connect(addItem(help, "Orlanhomepage1", QStringLiteral("Orlan home page")), &QAction::triggered, this,
        [] { openUrl(AboutDialog::makerHomePage(), false); });
    connect(addItem(help, "Quilletwebpage1", QStringLiteral("Quillet web page")), &QAction::triggered, this,
        [] { openUrl(AboutDialog::productPage(), false); });
    help->addSeparator();
    connect(addItem(help, "About1", QStringLiteral("&About...")), &QAction::triggered, this, [this] {
        AboutDialog about(m_config, this);
        about.exec();
    });
}

QStringList MainWindow::languageNames(const QString& programDirectory)
{
    return LanguageFolders::names(programDirectory);
}

const QStringList& MainWindow::translationPaths()
{
    return kTranslationPaths;
}

void MainWindow::buildLanguageMenu()
{
    m_languageMenu->clear();
    // Each language by its own name, the one in force ticked; the file name is what is stored.
    auto* group = new QActionGroup(m_languageMenu);
    for (const QString& name : languageNames(m_config.programDirectory())) {
        QAction* item = m_languageMenu->addAction(LanguageSwitch::nativeName(name));
        WindowTexts::keepCodeText(item);
        item->setData(name);
        item->setCheckable(true);
        item->setChecked(name.compare(m_config.language, Qt::CaseInsensitive) == 0);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, name] { switchLanguage(name); });
    }
}

void MainWindow::switchLanguage(const QString& language)
{
    m_config.language = language;
    // Every open window takes the language at once.
    LanguageSwitch::instance().apply(m_config);
    for (QAction* item : m_languageMenu->actions())
        item->setChecked(item->data().toString() == language);
    try {
        m_config.saveSettings();
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
    }
}

void MainWindow::restoreGeometryFromSettings()
{
    WindowGeometry geometry;
    int splitter = 0;
    m_config.loadWindowGeometry(QStringLiteral("Browser"), geometry, splitter);
    resize(geometry.width, geometry.height);
    // The window opens centred with the size just restored.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(geometry.width / 2, geometry.height / 2));
    }
    // The right-hand pane keeps the width it had at the last exit. On the
    // first run it takes the width its lists need at the font in use, known
    // once the selectors are docked (setUpTabs).
    m_panelWidthSaved = m_config.hasSplitterLocation();
    m_panelWidth = m_panelWidthSaved ? splitter : kDesignPanelWidth;
    applyPanelWidth();
}

void MainWindow::applyPanelWidth()
{
    m_splitter->setSizes({std::max(100, width() - m_panelWidth), m_panelWidth});
}

void MainWindow::setDataModule(SubmissionDatabase* dm)
{
    m_dm = dm;
    m_replace = dm ? std::make_unique<ProgramReplace>(*dm) : nullptr;
    m_siteUpdates->setDataModule(dm);
}

void MainWindow::setSelectors(DataSelectorRows* rows, DataSelector* dataSelector, SiteSelector* siteSelector)
{
    m_rows = rows;
    m_dataSelector = dataSelector;
    m_siteSelector = siteSelector;
    if (m_siteSelector) {
        connect(m_siteSelector, &SiteSelector::homeRequested, this, &MainWindow::openHomePage);
        connect(m_siteSelector, &SiteSelector::searchRequested, this, &MainWindow::openSearchPage);
        connect(m_siteSelector, &SiteSelector::submitRequested, this, &MainWindow::openSubmitPage);
        connect(m_siteSelector, &SiteSelector::updateRequested, this, &MainWindow::openUpdatePage);
        connect(m_siteSelector, &SiteSelector::helpRequested, this,
            [this](int context) { HelpWindow::showTopic(context, this); });
    }
}

void MainWindow::setReportWindow(ReportWindow* report)
{
    m_reportWindow = report;
}

void MainWindow::loadProgramsList()
{
    m_programs->clear();
    if (!m_dm || !m_dm->isTableOpen(Table::Programs))
        return;
    QStringList names;
    m_dm->loadPrograms(names);
    m_programs->addItems(names);
    // The list shows the program whose values are in force (the last one
    // used, at start); none when that program has no record.
    m_programs->setCurrentIndex(m_programs->findText(m_properties[PropertyCatalogue::ProgramName].getValue()));
}

void MainWindow::setUpTabs()
{
    const auto dock = [](QWidget* tab, QWidget* window) {
        if (!window)
            return;
        auto* layout = new QVBoxLayout(tab);
        layout->setContentsMargins(2, 2, 2, 2);
        window->setWindowFlags(Qt::Widget);
        layout->addWidget(window);
    };
    dock(m_dataTab, m_dataSelector);
    dock(m_sitesTab, m_siteSelector);
    m_tabsReady = true;
    // The submission run: its menu items, panel and the progress in the status bar.
    if (m_dm && m_rows && !m_runController) {
        m_runController = new RunController(*this, m_config, *m_dm, *m_rows);
        // Its menu items came after the window took its language.
        if (m_language && m_config.language != QLatin1String("English"))
            m_language->translate();
    }
    // Showing the data selector takes the values into its rows; a window in a
    // tab that is not in front gets no show event of its own, so the rows are
    // filled here.
    if (m_rows)
        m_rows->refreshData();
    if (m_dataSelector)
        m_dataSelector->show();
    if (m_siteSelector)
        m_siteSelector->show();
    // On the first run the pane takes the width its lists need, now that
    // they are in their tabs.
    if (!m_panelWidthSaved) {
        m_panelWidth = std::max({kDesignPanelWidth, m_programs->sizeHint().width(), m_pageControl->sizeHint().width()});
        applyPanelWidth();
    }
}

void MainWindow::saveWindowState()
{
    if (m_formDestroyed)
        return;
    m_formDestroyed = true;
    try {
        const QRect frame = geometry();
        const int paneWidth = m_panel->isVisible() ? m_panel->width() : m_panelWidth;
        m_config.saveWindowGeometry(
            QStringLiteral("Browser"), WindowGeometry {frame.x(), frame.y(), frame.width(), frame.height()}, paneWidth);
        m_config.savePopUpList(*m_quickPaste);
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The pane's width as the user leaves it; the window is hidden by the time it is saved.
    if (m_panel->isVisible())
        m_panelWidth = m_panel->width();
    if (m_siteSelector)
        m_siteSelector->commitEdits();
    QMainWindow::closeEvent(event);
}

bool MainWindow::requireDataModule() const
{
    return m_dm != nullptr;
}

void MainWindow::updateNavigationActions()
{
    m_backAction->setEnabled(m_history.canGoBack());
    m_forwardAction->setEnabled(m_history.canGoForward());
}

void MainWindow::showStatus(const QString& text)
{
    m_statusText->setText(text);
}

void MainWindow::navigateTo(const QString& address)
{
    m_browser->load(QUrl::fromUserInput(address));
}

void MainWindow::findAddress()
{
    m_history.addressTyped = true;
    navigateTo(m_address->currentText());
}

void MainWindow::goBack()
{
    if (!m_history.canGoBack())
        return;
    m_address->setEditText(m_history.backTarget());
    findAddress();
}

void MainWindow::goForward()
{
    if (!m_history.canGoForward())
        return;
    m_address->setEditText(m_history.forwardTarget());
    findAddress();
}

void MainWindow::navigationCompleted(const QUrl& url)
{
    const QString address = url.toString();
    if (address.isEmpty())
        return;
    m_history.navigationCompleted(address);
    const QSignalBlocker blocker(m_address);
    m_address->clear();
    m_address->addItems(m_history.addressList());
    m_address->setCurrentIndex(-1);
    m_address->setEditText(address);
    showStatus(address);
    updateNavigationActions();
}

QString MainWindow::navLink(const QString& kind) const
{
    QString link;
    if (m_dm)
        m_dm->getNavLink(kind, link);
    return link;
}

bool MainWindow::isOpenableSiteLink(const QString& link) const
{
    // No address is no page either, as before.
    if (link.trimmed().isEmpty())
        return true;
    if (SiteLinkCheck(m_config.programDirectory()).isAllowed(QUrl::fromUserInput(link)))
        return true;
    MessageSink::current().showMessage(SiteLinkCheck::refusalText(link));
    return false;
}

void MainWindow::openHomePage()
{
    const QString link = navLink(QStringLiteral("home"));
    if (!isOpenableSiteLink(link))
        return;
    m_address->setEditText(link);
    m_history.appendAddress(link);
    m_address->addItem(link);
    navigateTo(link);
}

void MainWindow::openSearchPage()
{
    const QString link = navLink(QStringLiteral("search"));
    if (!isOpenableSiteLink(link))
        return;
    m_address->setEditText(link);
    findAddress();
}

void MainWindow::openSubmitPage()
{
    const QString link = navLink(QStringLiteral("submit"));
    if (isEmailAddress(link)) {
        mailSubmission(EmailSubmission::Page::Submit);
        return;
    }
    if (!isOpenableSiteLink(link))
        return;
    m_address->setEditText(link);
    findAddress();
}

void MainWindow::openUpdatePage()
{
    const QString link = navLink(QStringLiteral("update"));
    if (isEmailAddress(link)) {
        mailSubmission(EmailSubmission::Page::Update);
        return;
    }
    if (!isOpenableSiteLink(link))
        return;
    m_address->setEditText(link);
    findAddress();
}

void MainWindow::sendMakeVelmoraFriendlyRequest()
{
    mailSubmission(EmailSubmission::Page::Friendly);
}

void MainWindow::mailSubmission(EmailSubmission::Page page)
{
    if (m_dm && m_rows)
        EmailSubmissionCommand::run(page, m_config, *m_dm, *m_rows, this);
}

void MainWindow::translateSite(const QString& code)
{
    const QString link = navLink(QStringLiteral("home"));
    if (!isOpenableSiteLink(link))
        return;
    m_browser->stop();
    navigateTo(SiteSearchLinks::translation(link, code));
    m_address->setEditText(link);
    m_history.appendAddress(link);
    m_address->addItem(link);
}

void MainWindow::searchWithGoogle()
{
    m_address->setEditText(SiteSearchLinks::siteSearch(
        m_properties[PropertyCatalogue::ProgramName].getValue(), navLink(QStringLiteral("home"))));
    findAddress();
}

void MainWindow::downloadBegins()
{
    m_previewAction->setChecked(false);
    m_stopAction->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    m_animation->start();
}

void MainWindow::downloadComplete(bool)
{
    m_stopAction->setIcon(style()->standardIcon(QStyle::SP_BrowserStop));
    m_animation->stop();
    if (m_config.autoFillFormFields)
        autoFillForm();
}

void MainWindow::runFormCommand(int command)
{
    if (!m_rows || !m_dm)
        return;
    FormFillCommands::Context context;
    context.programDirectory = m_config.programDirectory();
    context.rows = m_rows;
    context.site.siteName = m_dm->sites().currentSiteName();
    if (m_siteSelector) {
        context.site.userName = m_siteSelector->userName();
        context.site.password = m_siteSelector->password();
    }
    context.programName = m_properties[PropertyCatalogue::ProgramName].getValue();
    const auto which = static_cast<FormFillCommands::Command>(command);
    if (which != FormFillCommands::Command::PreviewWithMarks)
        m_previewAction->setChecked(false); // a fill or capture removes the outlines
    QPointer<MainWindow> self(this);
    const FormFillCommands::Done done = [self](const FormFillCommands::Outcome& outcome) {
        if (!self)
            return;
        if (!outcome.status.isEmpty())
            self->showStatus(outcome.statusLine());
        Q_EMIT self->formCommandFinished(outcome.status);
    };
    FormFillCommands::run(which, *m_pageAdapter, context, done);
}

void MainWindow::saveForm()
{
    runFormCommand(static_cast<int>(FormFillCommands::Command::SaveForm));
}

void MainWindow::autoFillForm()
{
    runFormCommand(static_cast<int>(FormFillCommands::Command::AutoFill));
}

void MainWindow::previewAutoFill(bool show)
{
    m_previewAction->setChecked(show);
    if (show) {
        runFormCommand(static_cast<int>(FormFillCommands::Command::PreviewWithMarks));
        return;
    }
    m_pageAdapter->clearMarks([](const FormApplyResult&) {});
    showStatus(QString());
}

void MainWindow::pastePropertyValueInBrowser(const QString& text)
{
    // A multi-line value goes in without the final line break it is stored with.
    QGuiApplication::clipboard()->setText(MemoText::forPage(text));
    // The value goes where the keyboard focus is: the page's field, or any
    // other field of the program (a Quick Paste chord works everywhere).
    QWidget* focus = QApplication::focusWidget();
    if (!focus || focus == m_browser || m_browser->isAncestorOf(focus)) {
        m_browser->page()->triggerAction(QWebEnginePage::Paste);
        // The page remembers the field as written for this program, so that a
        // fill for another program does not leave the value behind.
        m_pageAdapter->notePaste(m_properties[PropertyCatalogue::ProgramName].getValue());
        return;
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_V, Qt::ControlModifier);
    QApplication::sendEvent(focus, &press);
    QApplication::sendEvent(focus, &release);
}

void MainWindow::pasteQuickPasteItem(int n)
{
    m_quickPaste->triggerItem(n);
}

void MainWindow::selectProgram(int index)
{
    if (!m_dm || index < 0)
        return;
    try {
        m_dm->loadProgram(m_programs->itemText(index));
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return;
    }
    if (m_rows)
        m_rows->loadProgramData();
    if (m_siteSelector)
        m_siteSelector->repaintSites();
}

void MainWindow::clearFlags(const QString& flag)
{
    if (!requireDataModule())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        m_dm->clearFlagsForAllSites(flag, windowTitle());
    } catch (const QuilletError& error) {
        QApplication::restoreOverrideCursor();
        MessageSink::current().showMessage(error.text());
        return;
    }
    QApplication::restoreOverrideCursor();
    if (m_siteSelector)
        m_siteSelector->repaintSites();
}

QDialog* MainWindow::showReplaceDialog()
{
    if (!m_replace)
        return nullptr;
    m_replace->start();
    auto* dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("ReplaceDialog1"));
    dialog->setWindowTitle(QStringLiteral("Replace"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* form = new QFormLayout(dialog);
    auto* find = new QLineEdit(dialog);
    find->setObjectName(QStringLiteral("FindText"));
    auto* replaceWith = new QLineEdit(dialog);
    replaceWith->setObjectName(QStringLiteral("ReplaceText"));
    auto* findLabel = new QLabel(QStringLiteral("Fi&nd what:"), dialog);
    findLabel->setObjectName(QStringLiteral("Label1"));
    findLabel->setBuddy(find);
    auto* replaceLabel = new QLabel(QStringLiteral("Re&place with:"), dialog);
    replaceLabel->setObjectName(QStringLiteral("Label2"));
    replaceLabel->setBuddy(replaceWith);
    form->addRow(findLabel, find);
    form->addRow(replaceLabel, replaceWith);
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QStringLiteral("&Find Next"), QDialogButtonBox::ActionRole)
        ->setObjectName(QStringLiteral("FindNext"));
    auto* replaceButton = buttons->addButton(QStringLiteral("&Replace"), QDialogButtonBox::ActionRole);
    replaceButton->setObjectName(QStringLiteral("ReplaceButton"));
    auto* replaceAllButton = buttons->addButton(QStringLiteral("Replace &All"), QDialogButtonBox::ActionRole);
    replaceAllButton->setObjectName(QStringLiteral("ReplaceAllButton"));
    buttons->addButton(QDialogButtonBox::Cancel);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(replaceButton, &QPushButton::clicked, this, [this, find, replaceWith] {
        m_replace->replaceNext(find->text(), replaceWith->text());
        if (m_siteSelector)
            m_siteSelector->repaintSites();
    });
    connect(replaceAllButton, &QPushButton::clicked, this, [this, find, replaceWith] {
        try {
            m_replace->replaceAll(find->text(), replaceWith->text());
        } catch (const QuilletError& error) {
            MessageSink::current().showMessage(error.text());
        }
        if (m_siteSelector)
            m_siteSelector->repaintSites();
    });
    translateWindow(dialog);
    dialog->show();
    return dialog;
}

void MainWindow::openConfiguration()
{
    if (!requireDataModule())
        return;
    {
        EditorWindow editor(m_config, m_properties, *m_dm, this);
        editor.exec();
    }
    // The editor may have added, renamed or deleted programs, loaded another
    // program or imported one, and changed the company: the programs list,
    // the site flags and the data selector follow the program it left loaded.
    loadProgramsList();
    followLoadedProgram();
}

void MainWindow::openSiteCheck()
{
    if (!requireDataModule())
        return;
    if (m_siteSelector)
        m_siteSelector->commitEdits();
    if (!m_siteCheck) {
        const bool maintainer = QFile::exists(m_config.programDirectory() + QStringLiteral("admin.key"));
        m_siteCheck = new SiteCheckWindow(*m_dm, m_config, maintainer, this);
        m_siteCheck->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_siteCheck, &SiteCheckWindow::siteOpenRequested, this,
            [this](const QString& siteName, const QString& address) {
                m_dm->sites().locate(siteName);
                m_address->setEditText(address);
                findAddress();
                activateWindow();
            });
        const auto repaint = [this] {
            if (m_siteSelector)
                m_siteSelector->repaintSites();
        };
        connect(m_siteCheck, &SiteCheckWindow::sitesChanged, this, repaint);
        connect(m_siteCheck, &SiteCheckWindow::outcomesStored, this, repaint);
    }
    m_siteCheck->show();
    m_siteCheck->raise();
    m_siteCheck->activateWindow();
    m_siteCheck->start();
}

void MainWindow::followLoadedProgram()
{
    const QString name = m_properties[PropertyCatalogue::ProgramName].getValue();
    // The flags belong to the program the data module loaded last, which is
    // not the one the catalogue holds after an import or a new program.
    if (m_dm && m_programs->currentIndex() >= 0 && m_dm->programFlags().program() != name) {
        try {
            m_dm->loadProgram(name);
        } catch (const QuilletError& error) {
            MessageSink::current().showMessage(error.text());
        }
    }
    if (m_rows)
        m_rows->refreshData();
    if (m_siteSelector)
        m_siteSelector->repaintSites();
}
