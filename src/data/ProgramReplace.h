#pragma once

#include <QString>

class SubmissionDatabase;

// The "Replace program" dialog's work on the flag rows: Replace All renames a
// program in every row; Replace renames it in the next row that mentions it,
// stepping through the rows in (program, site) order from where the last
// replace stopped.
class ProgramReplace {
public:
    explicit ProgramReplace(SubmissionDatabase& dataModule)
        : m_dm(dataModule)
    { }

    // The dialog opens: start again at the first row, no match found yet.
    void start();

    // Every row whose program name equals findText exactly gets replaceText.
    int replaceAll(const QString& findText, const QString& replaceText);

    // The next row whose program name contains findText (without regard to
    // case) gets its first occurrence replaced by replaceText. A rename the
    // table refuses (the program already has a row for that site) leaves the
    // row as it was. Shows "No matches found" when no row matched since the
    // dialog opened. Returns whether a row was renamed.
    bool replaceNext(const QString& findText, const QString& replaceText);

private:
    SubmissionDatabase& m_dm;
    QString m_afterProgram; // the last row worked on; the next search starts behind it
    QString m_afterSite;
    bool m_started = false;
    bool m_matchFound = false;
};
