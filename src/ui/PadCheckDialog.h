#pragma once

#include "PadValidator.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class QLabel;
class QListWidget;
class Settings;
class WindowTranslator;

// "PAD check": the problems a check of a PAD file or of the current record
// found, one line each, errors first as the check lists them. It stays open
// beside the editor while the author corrects the fields; a double-click (or
// Enter) on a line asks for the field of that problem.
class PadCheckDialog : public QDialog {
    Q_OBJECT

public:
    explicit PadCheckDialog(Settings& config, QWidget* parent = nullptr);

    static const QStringList& translationPaths();
    WindowTranslator* language() const { return m_language; }

    // Shows the problems found in subject (a file's or a program's name).
    void showProblems(const QString& subject, const QList<PadValidator::Problem>& problems);

    QStringList lines() const;
    QString summary() const;

Q_SIGNALS:
    // The field of the format's list whose problem the user chose.
    void fieldChosen(const QString& field);

private:
    QLabel* m_summary = nullptr;
    QListWidget* m_list = nullptr;
    WindowTranslator* m_language = nullptr;
    QList<PadValidator::Problem> m_problems;
};
