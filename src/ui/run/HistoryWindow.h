#pragma once

#include "SubmissionHistory.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QTableWidget;
class Settings;
class SubmissionDatabase;
class WindowTranslator;

// "Submission history": every outcome stored, for one program or all, in a
// table sorted by any column, saved as CSV or as a text report.
class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    HistoryWindow(Settings& config, SubmissionDatabase& dm, QWidget* parent = nullptr);

    // Reads the rows again for the program chosen.
    void reload();
    // The program chosen (empty for all).
    QString program() const;
    const QVector<HistoryEntry>& rows() const { return m_rows; }

    // Writes the rows shown as CSV or as the CR LF report; false after a message.
    bool saveCsv(const QString& path);
    bool saveReport(const QString& path);

    // Chooses the file to save to; the default shows a save dialog.
    using FileChooser = std::function<QString(QWidget* parent, const QString& filter)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    static const QStringList& translationPaths();

private:
    bool save(const QString& path, const QString& text);

    SubmissionDatabase& m_dm;
    QComboBox* m_programs = nullptr;
    QTableWidget* m_table = nullptr;
    QVector<HistoryEntry> m_rows;
    FileChooser m_chooseFile;
    WindowTranslator* m_language = nullptr;
};
