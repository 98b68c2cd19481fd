#pragma once

#include "SiteCheckOutcome.h"
#include "SiteCheckTargets.h"

#include <QStringList>
#include <QVector>
#include <QWidget>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class Settings;
class SiteAddressCheck;
class SiteCheckFilter;
class SiteCheckModel;
class SubmissionDatabase;
class WindowTranslator;

// "Check site addresses...": checks the sites that pass the site filter in
// the background, shows the progress with Stop and the outcomes in a table
// that sorts by any column and shows one outcome or all. The author may open
// a site (double click), use a moved site's new address, hide the sites that
// are gone and save the results as a report or CSV; nothing changes without
// one of these commands. Each outcome is stored as the site's last check.
class SiteCheckWindow : public QWidget {
    Q_OBJECT
public:
    SiteCheckWindow(SubmissionDatabase& dm, Settings& config, bool maintainer, QWidget* parent = nullptr);
    ~SiteCheckWindow() override;

    // Starts a check of the sites passing the filter now in force.
    void start();
    void stop();
    bool isRunning() const;

    // Limits of the checker (tests use short ones).
    SiteAddressCheck& checker() const { return *m_check; }
    SiteCheckModel& model() const { return *m_model; }

    // Writes the results shown to fileName: CSV for a name ending in ".csv",
    // the report otherwise. False (and a message) when it cannot be written.
    bool saveResults(const QString& fileName);

    static QStringList translationPaths();

Q_SIGNALS:
    // The author asked to open a site (at the address that was checked).
    void siteOpenRequested(const QString& siteName, const QString& address);
    // Sites were hidden or an address changed: the site list shows them anew.
    void sitesChanged();
    // Outcomes reached the table of last checks.
    void outcomesStored();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void siteChecked(const SiteCheckResult& result);
    void showProgress(int done, int total);
    void checkFinished(bool stopped);
    void storeOutcomes();
    void useNewAddress();
    void hideGoneSites();
    void saveAs();
    void updateButtons();
    int currentRow() const;

    SubmissionDatabase& m_dm;
    Settings& m_config;
    bool m_maintainer;
    SiteAddressCheck* m_check = nullptr;
    SiteCheckModel* m_model = nullptr;
    SiteCheckFilter* m_filter = nullptr;
    WindowTranslator* m_language = nullptr;
    QVector<SiteCheckSkipped> m_skipped;
    QVector<SiteCheckResult> m_unsaved;

    QLabel* m_progressText = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_stop = nullptr;
    QLabel* m_skippedText = nullptr;
    QComboBox* m_show = nullptr;
    QTableView* m_table = nullptr;
    QPushButton* m_useNewAddress = nullptr;
    QPushButton* m_hideGone = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
};
