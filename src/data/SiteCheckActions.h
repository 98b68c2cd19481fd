#pragma once

#include "SiteCheckOutcome.h"

#include <QStringList>

class SubmissionDatabase;

// What the author may do with a check's results; nothing happens without
// one of these commands.
class SiteCheckActions {
public:
    explicit SiteCheckActions(SubmissionDatabase& dm);

    // Hides each named site that is listed and not hidden yet, through the
    // data module's hide command, and leaves the cursor on the site it stood
    // on (or where the list closed up). Returns the number of sites hidden.
    int hideSites(const QStringList& siteNames);

    enum class AddressUse {
        // The checked field (SubmitUrl or HomeUrl) gets the new address,
        // through the site editor's row writer: maintainer mode.
        ChangeAddress,
        // A line with the new address is added to the author's own notes on
        // the site (UserNotes); the site list's address stays.
        NoteAddress,
    };

    // Uses a moved site's new address as use says. Raises QuilletError with
    // a message for the author when the result is not a move, the site is no
    // longer there, its address changed since the check, or the table refuses.
    void useNewAddress(const SiteCheckResult& result, AddressUse use);

    // The line added to the notes for result.
    static QString noteLine(const SiteCheckResult& result);

private:
    SubmissionDatabase& m_dm;
};
