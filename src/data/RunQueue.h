#pragma once

#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>

#include <optional>

class SubmissionDatabase;

// Which sites a run goes to.
enum class RunKind {
    // Sites the program is neither Submitted nor NotApplicable at, that have a
    // submit page (with the page commands' fall-back to the home page) or take
    // submissions by e-mail; the site's submit page.
    Submit,
    // Sites the program is Submitted, Published or OldVersion at (and not
    // NotApplicable); the site's update page, else its submit page.
    Update,
};

// One site of a run and the address the run opens there.
struct QueueEntry {
    QString siteName;
    QString link;        // with the page commands' fall-backs
    bool byMail = false; // the link is an e-mail address
};

// The sites of a run for one program, in the site selector's order, worked
// out from the tables each time it is asked: never a copy. A site flagged
// meanwhile (by the run, the site selector or another command) leaves or
// joins the queue at once. Only sites that pass the site filter in force
// take part, so hidden sites only while they are shown.
class RunQueue {
public:
    RunQueue(const SubmissionDatabase& dm, const QString& program, RunKind kind);
    // The queue a run works through: a submission run also leaves out the
    // sites whose last address check found them gone.
    static RunQueue forRun(SubmissionDatabase& dm, const QString& program, RunKind kind);

    // Sites left out of the queue whatever their flags (sites a check found
    // gone, for one). Names compare exactly.
    void setExcludedSites(const QSet<QString>& names) { m_excluded = names; }
    const QSet<QString>& excludedSites() const { return m_excluded; }

    const QString& program() const { return m_program; }
    RunKind kind() const { return m_kind; }

    // The whole queue in run order, or the part of it among the named sites.
    QVector<QueueEntry> entries(const QStringList& among = {}) const;
    int count() const;
    // The first site of the queue after site in run order (from the start
    // when site is empty), only among the named sites when among is not
    // empty; nothing at the end.
    std::optional<QueueEntry> nextAfter(const QString& site, const QStringList& among = {}) const;
    // The site's entry while it is in the queue.
    std::optional<QueueEntry> find(const QString& site) const;
    // The page the run opens at site whether or not it is in the queue
    // (a site the author goes back to); nothing when the site is gone.
    std::optional<QueueEntry> pageOf(const QString& site) const;

private:
    // anySite: every row of Sites, flags and filter aside.
    QVector<QueueEntry> select(
        const QString& extraCondition, const QVariantList& extraParams, int limit, bool anySite = false) const;

    QSqlDatabase m_db;
    QString m_filterSql;
    QVariantList m_filterParams;
    QString m_program;
    RunKind m_kind;
    QSet<QString> m_excluded;
};
