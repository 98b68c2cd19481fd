#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class SubmissionDatabase;

// Publishes the Sites table for an update server: under a folder that a web
// server serves, download/quilletver.ini (the manifest) and
// members/sites.zip (holding sites.csv with every row of Sites, dead and
// hidden ones too). Only the central data of a site is published, never
// the author's own (account, notes of the author, hidden mark, mail address).
class SiteListPublisher {
public:
    struct Result {
        int sites = 0;
        int dead = 0;
        // "Notes of site \"X\"": values that sites.csv cannot carry as they
        // are (line breaks, blanks at either end), written changed.
        QStringList changed;
        QString manifestFile;
        QString archiveFile;
    };

    explicit SiteListPublisher(SubmissionDatabase& dm)
        : m_dm(dm)
    { }

    // The text of sites.csv (UTF-8, CR LF line ends) for every row of Sites
    // in name order. Raises QuilletError when the table is not open or a
    // row's Rating is no whole number (the merge would refuse the whole list).
    QByteArray siteList(Result& result) const;

    // Writes the archive, then the manifest (so a client never sees a new
    // version before its archive), each atomically: a failure leaves the
    // files that were there. The folder and its two sub-folders are created
    // when missing. Links are never followed: a link standing at a
    // sub-folder's or a file's name is replaced by a real folder or file.
    // Raises QuilletError when something cannot be written.
    Result publish(const QString& folder, double sitesVersion, double programVersion) const;

private:
    SubmissionDatabase& m_dm;
};
