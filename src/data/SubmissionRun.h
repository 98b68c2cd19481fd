#pragma once

#include "RunQueue.h"
#include "SubmissionHistory.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

class SubmissionDatabase;

// A submission or update run: one program taken to every site of its queue,
// one site after the other, with the author deciding at each. The run keeps
// only where it stands; which sites are left comes from the tables
// (RunQueue). Every outcome is written when it happens, with its flag and the
// run's position, in one transaction of ProgSite.DAT, so a stop, a quit or a
// crash loses nothing and an unfinished run can be resumed.
//
// Order of a run: the queue from the start, then once more the sites skipped
// on the way (those still in the queue), then the run is finished.
class SubmissionRun : public QObject {
    Q_OBJECT
public:
    // A run as stored.
    struct Record {
        qint64 id = 0;
        QString program;
        RunKind kind = RunKind::Submit;
        QString lastSite; // the last site given an outcome in the phase
        bool skippedPass = false;
        int total = 0; // the queue's length when the run started
        bool finished = false;
    };

    explicit SubmissionRun(SubmissionDatabase& dm, QObject* parent = nullptr);

    // The most recent run left unfinished, if any (none in a file without runs).
    static std::optional<Record> unfinishedRun(const SubmissionDatabase& dm);

    // Starts a new run of the current program and opens its first site. Runs
    // left unfinished are finished. False (and nothing stored) when the queue
    // is empty.
    bool start(RunKind kind);
    // Continues run after its last site, for its program, which must be the
    // current program. False when nothing is left (the run is then finished).
    bool resume(const Record& run);

    bool isActive() const { return m_current.has_value(); }
    const Record& record() const { return m_run; }
    // The site open now.
    const std::optional<QueueEntry>& current() const { return m_current; }
    bool inSkippedPass() const { return m_run.skippedPass; }
    // "Site N of M": the place of the current site and the run's length; in
    // the pass over skipped sites, among those.
    int position() const { return m_position; }
    int length() const { return m_length; }

    // Stores an outcome for the current site: Submitted, SubmittedByMail or
    // NotApplicable also set their flag through the data module (as the site
    // selector's check boxes do). Then Submitted, SubmittedByMail,
    // NotApplicable and Skipped move on to the next site; MailFailed stays.
    // Raises QuilletError when the write is refused (nothing is stored then
    // and the run stays on the site), when the current program is no longer
    // the run's, or when the site left the site list.
    void recordOutcome(HistoryEntry::Outcome outcome);
    // Goes back to the site visited before the current one; false at the first.
    bool back();
    // Leaves the run; it stays stored as unfinished when sites are left.
    void stop();

    // Marks program's flag at the current site of dm with a history row, as
    // one transaction (quillet-cli's "mark", outside any run).
    // alsoWrite runs inside that transaction. A site not listed by the cursor
    // cannot be current: the caller locates it first.
    static void mark(SubmissionDatabase& dm, HistoryEntry::Outcome outcome, HistoryEntry::Kind kind, qint64 runId = 0,
        const std::function<void()>& alsoWrite = {});

Q_SIGNALS:
    // The run moved to another site (or back); the site is current in dm.
    void siteChanged();
    // The run ended: every site had its turn.
    void finished();

private:
    RunQueue queue() const;
    // Moves to the next site of the run; finishes the run at the end.
    void advance(const QString& from);
    bool open(const QueueEntry& entry);
    void storeRun(); // outside a transaction
    void writeRun(); // inside the caller's transaction
    QStringList skippedSites() const;
    void updatePosition();
    void finish();

    SubmissionDatabase& m_dm;
    Record m_run;
    std::optional<QueueEntry> m_current;
    QStringList m_visited; // sites opened in this run, oldest first
    int m_passStart = 0;   // visits before the pass over skipped sites began
    int m_passLength = 0;  // skipped sites when that pass began
    int m_position = 0;
    int m_length = 0;
};
