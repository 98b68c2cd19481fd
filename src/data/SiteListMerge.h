#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

class SubmissionDatabase;
class SiteListReader;

// Merges the central site list into the Sites table: program directory +
// "sites.zip" is extracted, its "sites.csv" merged line by line in one
// transaction (all or nothing), and both files deleted. The author's own data
// on a site (account, notes, hidden mark, mail address) and the flags survive.
//
// Of the archive only the files a site list can sensibly bring are taken:
// "sites.csv", form maps and e-mail templates in SiteData ("SiteData/*.xml",
// "SiteData/*.txt") and language files ("*.lng"); every other member is
// skipped and all of them are named in one message. A "sites.csv" left over
// from an interrupted merge is deleted before extraction, so a damaged archive
// never merges an old list. The list is read as a stream, once, one upsert per
// line.
//
// An e-mail template of the author's ("SiteData/*.txt") that the archive
// replaces with a different text is kept beside it as
// "<name>.local-YYYYMMDD-HHMMSS" (mode 0600), and the user is told so.
class SiteListMerge {
public:
    explicit SiteListMerge(SubmissionDatabase& dataModule)
        : m_dm(dataModule)
    { }

    // False when there is no archive or the merge was rolled back. Raises
    // QuilletError when sites.csv cannot be read.
    bool run();

    // True for a member name ("/" separated) that a site list may bring.
    static bool isSiteListMember(const QString& name);

private:
    void extract(const QString& archive);
    void keepReplacedTemplates(const QHash<QString, QByteArray>& templates, const QStringList& extracted);
    void mergeLines(SiteListReader& reader);

    SubmissionDatabase& m_dm;
};
