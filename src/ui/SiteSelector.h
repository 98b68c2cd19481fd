#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTableView;
class QToolBar;
class QToolButton;
class SiteListDelegate;
class SiteListModel;
class Settings;
class SubmissionDatabase;
class WindowTranslator;

// The site selector: the grid of submission sites (its current row is the
// data module's current site), an info panel with the current program's
// flags for the current site, the author's account and notes, the site's
// notes and attributes and its rating, and a toolbar that asks the main
// window to open the site's pages.
class SiteSelector : public QWidget {
    Q_OBJECT
public:
    static constexpr int HelpContext = 30;

    SiteSelector(SubmissionDatabase& dm, Settings& config, QWidget* parent = nullptr);
    ~SiteSelector() override;

    // The current site's account as shown in the panel.
    QString userName() const;
    QString password() const;

    // Draws every row again with the current program's flags and rebuilds the
    // panel; the main window calls this when the current program changes.
    void repaintSites();

    // Writes edits of the account, notes and file ID fields that have not been
    // written yet (they are written when a field is left).
    void commitEdits();

    // The site's notes are editable (program directory + "admin.key" exists).
    bool isMaintainerMode() const { return m_maintainer; }

    SiteListModel& model() const { return *m_model; }

    // Wide enough for the grid's columns at the fonts in use.
    QSize sizeHint() const override;

    // The window's translatable texts, as "frmSites.<component>.<property>".
    static QStringList translationPaths();

    // Applies the language file of the settings' Language unless it is
    // "English"; done once at creation.
    void applyTranslation();

Q_SIGNALS:
    void homeRequested();
    void searchRequested();
    void submitRequested();
    void updateRequested();
    void helpRequested(int contextId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct PendingEdit {
        QString field;
        QString value;
    };

    // The site name and flag columns' widths (width and height of the size)
    // that show their headers and usual cells whole at the fonts in use.
    QSize columnWidths() const;
    void buildToolBar();
    void buildPanel();
    void cursorMoved(int row);
    void cursorRowChanged(int row);
    void gridRowChanged(int row);
    void selectGridRow(int row);
    void refreshPanel(bool keepEdits);
    void refreshFlags();
    void refreshLastCheck();
    void flagClicked(QCheckBox* box, const QString& flag);
    QVector<PendingEdit> takePendingEdits();
    void writeEdits(const QVector<PendingEdit>& edits);
    void selectAccountText(QLineEdit* edit);
    void typedInGrid(QChar character);

    SubmissionDatabase& m_dm;
    Settings& m_config;
    WindowTranslator* m_language = nullptr;
    bool m_maintainer = false;
    bool m_syncing = false;
    QString m_panelSite;

    SiteListModel* m_model = nullptr;
    SiteListDelegate* m_delegate = nullptr;

    QToolBar* m_toolBar = nullptr;
    QToolButton* m_toolButtons[5] {};
    QMenu* m_navigate = nullptr;
    QTableView* m_grid = nullptr;
    QFrame* m_panel = nullptr;
    QCheckBox* m_submitted = nullptr;
    QCheckBox* m_published = nullptr;
    QCheckBox* m_oldVersion = nullptr;
    QCheckBox* m_notApplicable = nullptr;
    QLabel* m_userNameLabel = nullptr;
    QLineEdit* m_userName = nullptr;
    QLabel* m_passwordLabel = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_fileId = nullptr;
    QLabel* m_stars = nullptr;
    QPlainTextEdit* m_userNotes = nullptr;
    QPlainTextEdit* m_info = nullptr;
    QPlainTextEdit* m_notes = nullptr;
    QLabel* m_lastCheck = nullptr;
};
