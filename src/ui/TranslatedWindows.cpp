#include "TranslatedWindows.h"

#include "AboutDialog.h"
#include "DataSelector.h"
#include "DesktopStartup.h"
#include "EditorWindow.h"
#include "FindDialog.h"
#include "HelpWindow.h"
#include "HistoryWindow.h"
#include "LoginDialog.h"
#include "MailWindow.h"
#include "MainWindow.h"
#include "OptionsDialog.h"
#include "PadCheckDialog.h"
#include "ReportWindow.h"
#include "RunController.h"
#include "RunPanel.h"
#include "SiteCheckWindow.h"
#include "SiteEditor.h"
#include "SiteSelector.h"
#include "WindowTranslator.h"

namespace {

template<typename Window> QWidget* keep(std::unique_ptr<QWidget>& created, Window* window)
{
    created.reset(window);
    return window;
}

} // namespace

QVector<TranslatedWindow> translatedWindows()
{
    using Created = std::unique_ptr<QWidget>;
    return {
        {QStringLiteral("Form1"), QStringLiteral("MainWindow"), MainWindow::translationPaths(),
            [](DesktopStartup& startup, Created&) -> QWidget* { return startup.mainWindow(); }},
        {QStringLiteral("frmSites"), QStringLiteral("SiteSelector"), SiteSelector::translationPaths(),
            [](DesktopStartup& startup, Created&) -> QWidget* { return startup.siteSelector(); }},
        {QStringLiteral("frmData"), QStringLiteral("DataSelector"), DataSelector::translationPaths(),
            [](DesktopStartup& startup, Created&) -> QWidget* { return startup.dataSelector(); }},
        {QStringLiteral("frmConfig"), QStringLiteral("EditorWindow"), EditorWindow::translationPaths(),
            [](DesktopStartup& startup, Created& created) -> QWidget* {
                if (!startup.dataModule())
                    return nullptr;
                return keep(created,
                    new EditorWindow(
                        startup.session().config(), startup.session().properties(), *startup.dataModule()));
            }},
        {QStringLiteral("frmMail"), QStringLiteral("MailWindow"), MailWindow::translationPaths(),
            [](DesktopStartup& startup, Created& created) -> QWidget* {
                return keep(created, new MailWindow(startup.session().config()));
            }},
        {QStringLiteral("frmPadCheck"), QStringLiteral("PadCheckDialog"), PadCheckDialog::translationPaths(),
            [](DesktopStartup& startup, Created& created) -> QWidget* {
                return keep(created, new PadCheckDialog(startup.session().config()));
            }},
        {QStringLiteral("AboutBox"), QStringLiteral("AboutDialog"), AboutDialog::translationPaths(),
            [](DesktopStartup& startup, Created& created) -> QWidget* {
                return keep(created, new AboutDialog(startup.session().config()));
            }},
        {QStringLiteral("frmSiteCheck"), QStringLiteral("SiteCheckWindow"), SiteCheckWindow::translationPaths(),
            [](DesktopStartup& startup, Created& created) -> QWidget* {
                if (!startup.dataModule())
                    return nullptr;
                return keep(created, new SiteCheckWindow(*startup.dataModule(), startup.session().config(), false));
            }},
        {QStringLiteral("PasswdDlg"), QStringLiteral("LoginDialog"), LoginDialog::translationPaths(),
            [](DesktopStartup& startup, Created& created) -> QWidget* {
                // The dialog takes the language each time it is shown.
                auto* dialog = new LoginDialog(startup.session().config());
                dialog->language()->applyLanguage(startup.session().config());
                return keep(created, dialog);
            }},
        {QStringLiteral("frmRun"), QStringLiteral("RunPanel"), RunPanel::translationPaths(),
            [](DesktopStartup& startup, Created&) -> QWidget* {
                MainWindow* window = startup.mainWindow();
                return window && window->runController() ? window->runController()->panel() : nullptr;
            }},
        {QStringLiteral("frmHistory"), QStringLiteral("HistoryWindow"), HistoryWindow::translationPaths(),
            [](DesktopStartup& startup, Created& created) -> QWidget* {
                if (!startup.dataModule())
                    return nullptr;
                return keep(created, new HistoryWindow(startup.session().config(), *startup.dataModule()));
            }},
        // The windows below name every text by its object only (WindowTexts).
        {QStringLiteral("frmOptions"), QStringLiteral("OptionsDialog"), {},
            [](DesktopStartup& startup, Created& created) -> QWidget* {
                return keep(created,
                    new OptionsDialog(startup.session().config(), startup.session().properties(), startup.dataModule(),
                        startup.dataSelector()));
            }},
        {QStringLiteral("frmReport"), QStringLiteral("ReportWindow"), {},
            [](DesktopStartup& startup, Created&) -> QWidget* { return startup.reportWindow(); }},
        {QStringLiteral("frmEditSite"), QStringLiteral("SiteEditor"), {},
            [](DesktopStartup& startup, Created& created) -> QWidget* {
                if (!startup.dataModule())
                    return nullptr;
                return keep(created, new SiteEditor(*startup.dataModule()));
            }},
        {QStringLiteral("FindDialog1"), QStringLiteral("FindDialog"), {},
            [](DesktopStartup&, Created& created) -> QWidget* { return keep(created, new FindDialog); }},
        {QStringLiteral("HelpWindow"), QStringLiteral("HelpWindow"), {},
            [](DesktopStartup&, Created& created) -> QWidget* { return keep(created, new HelpWindow); }},
        {QStringLiteral("ReplaceDialog1"), QStringLiteral("QDialog"), {},
            [](DesktopStartup& startup, Created&) -> QWidget* {
                // The dialog belongs to the main window, which deletes it.
                return startup.mainWindow()->showReplaceDialog();
            }},
    };
}
