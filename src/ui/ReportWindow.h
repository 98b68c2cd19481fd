#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QFileDialog;
class QPlainTextEdit;
class QPushButton;
class SubmissionDatabase;

// The report window: shows one of the three text reports in a read-only,
// word-wrapping text box and saves it as the box shows it. Created once and
// reused; each report replaces the text before the window is shown.
class ReportWindow : public QDialog {
    Q_OBJECT

public:
    explicit ReportWindow(const SubmissionDatabase& dm, QWidget* parent = nullptr);

    // Each builds its report, puts it into the text box and shows the window
    // modally until it is closed. A database error is shown through the
    // message sink and the window is not shown.
    void showProgressReport(const QStringList& programNames);
    void showAccountsReport();
    void showHiddenSitesReport();

    // The same without showing the window: false after a reported error, the
    // previous report's text then stays.
    bool buildProgressReport(const QStringList& programNames);
    bool buildAccountsReport();
    bool buildHiddenSitesReport();

    // The text as the box shows it: every displayed line (a wrapped line gives
    // one per piece), each followed by CR LF.
    QString shownText() const;

    // Writes shownText() to fileName in UTF-8, replacing the file atomically.
    // A file that cannot be written is reported as "Cannot create file <name>"
    // and false is returned; the window stays open.
    bool saveToFile(const QString& fileName);

    // The save dialog, built on first use.
    QFileDialog* saveReportDialog();

public Q_SLOTS:
    // Asks for a file name in the save dialog and saves the report there.
    void saveReport();

private:
    bool buildReport(const std::function<QString()>& build);
    void showReport();

    const SubmissionDatabase& m_dm;
    QPlainTextEdit* m_reportMemo;
    QPushButton* m_saveButton;
    QPushButton* m_closeButton;
    QFileDialog* m_saveReportDialog = nullptr;
};
