#pragma once

#include "DataFixture.h"

// A site for the submission-run tests: its Sites columns and the flags the
// program NoteNest has there (no flag row when empty).
struct RunSite {
    QString name;
    QVariantMap fields;
    QVariantMap flags = {};
};

// A program directory with its data module open, holding the program
// NoteNest, the current one, and the sites.
class RunFixture : public DataFixture {
public:
    explicit RunFixture(const QList<RunSite>& sites);
};

// Sites whose submit page is http://127.0.0.1:9/NAME, where nothing answers.
QList<RunSite> plainSites(const QStringList& names);
// The history, oldest first, as "site:outcome" lines; detailed: with the kind
// of run, and ":run" on rows a run wrote.
QStringList historyLines(const SubmissionDatabase& dm, bool detailed = false, const QString& program = {});
// NoteNest's flag at site; null without a flag row.
QVariant flagAt(const SubmissionDatabase& dm, const QString& site, const QString& flag);
