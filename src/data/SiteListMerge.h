#pragma once

#include <QString>
#include <QStringList>

class SubmissionDatabase;

// Merges the central site list into the Sites table: program directory +
// "sites.zip" is extracted, its "sites.csv" merged line by line in one
// transaction (all or nothing), and both files deleted. The author's own data
// on a site (account, notes, hidden mark, mail address) and the flags survive.
class SiteListMerge {
public:
    explicit SiteListMerge(SubmissionDatabase& dataModule)
        : m_dm(dataModule)
    { }

    // False when there is no archive or the merge was rolled back. Raises
    // QuilletError when sites.csv cannot be read.
    bool run();

private:
    void extract(const QString& archive);
    void mergeLines(const QStringList& lines);

    SubmissionDatabase& m_dm;
};
