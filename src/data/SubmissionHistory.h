#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QVector>

// What happened at a site for a program: one row of the submission history.
struct HistoryEntry {
    enum class Outcome {
        Submitted,
        SubmittedByMail,
        MailFailed,
        Skipped,
        NotApplicable,
        Published,
        Cleared,
    };
    enum class Kind { Submit, Update, Manual };

    QDateTime time; // UTC
    QString program;
    QString site;
    Kind kind = Kind::Manual;
    Outcome outcome = Outcome::Submitted;
    qint64 runId = 0; // 0: not part of a run

    // The stored texts: "submitted", "submitted by e-mail", "mail failed",
    // "skipped", "not applicable", "published", "cleared"; "submit",
    // "update", "manual".
    static QString outcomeText(Outcome outcome);
    static QString kindText(Kind kind);
    // The outcome or kind a stored text names; false for any other text.
    static bool parseOutcome(const QString& text, Outcome& outcome);
    static bool parseKind(const QString& text, Kind& kind);
};

// The submission history: a table beside ProgSite in ProgSite.DAT, made when
// the first row is written. Reading a file without it gives no rows.
class SubmissionHistory {
public:
    static constexpr const char* TableName = "SubmissionHistory";

    // Appends entry; the caller's transaction (if any) decides whether it lands.
    static void append(const QSqlDatabase& db, const HistoryEntry& entry);

    // Every row, oldest first, of program (all programs when empty). Rows
    // whose outcome or kind this version does not know are passed over.
    static QVector<HistoryEntry> read(const QSqlDatabase& db, const QString& program = QString());
    // The rows of one run, oldest first.
    static QVector<HistoryEntry> readRun(const QSqlDatabase& db, qint64 runId);

    // The rows as CSV (RFC 4180: a header line, fields quoted when they hold
    // a comma, quote or line break, CR LF line ends).
    static QString toCsv(const QVector<HistoryEntry>& rows);
    // The rows as a text report with CR LF line ends, like the other reports:
    // a title line, a blank line, then one line per row.
    static QString toReport(const QVector<HistoryEntry>& rows, const QString& program);
    // "2026-12-09 21:54:21" (UTC).
    static QString timeText(const QDateTime& time);
};
