#pragma once

#include <QString>

class SubmissionDatabase;

// How far the current program has got over the sites the site list shows:
// the status bar's "NoteNest: 37 of 412 submitted, 12 published".
struct SubmissionProgress {
    QString program;
    int sites = 0;     // sites that pass the site filter, less those marked not applicable
    int submitted = 0; // of those, marked submitted
    int published = 0; // of those, marked published

    // Counted from the tables for the current program of dm.
    static SubmissionProgress count(const SubmissionDatabase& dm);
    // "NAME: S of N submitted, P published", translated; empty without a program.
    QString text() const;
};
