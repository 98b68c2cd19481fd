#pragma once

#include <QString>
#include <QStringList>

class SubmissionDatabase;

// The three plain-text reports over the whole Sites table (the site filter
// does not apply), with CR LF line ends. Raise QuilletError on database errors.
class ReportTexts {
public:
    explicit ReportTexts(const SubmissionDatabase& dataModule)
        : m_dm(dataModule)
    { }

    // Submission progress of each named program, in the order given.
    QString progressReport(const QStringList& programNames) const;
    // The author's accounts on the sites, in site name order.
    QString accountsReport() const;
    // The sites the author has hidden.
    QString hiddenSitesReport() const;

private:
    const SubmissionDatabase& m_dm;
};
