#include "SubmissionHistory.h"

#include "Sql.h"
#include "TableSchema.h"

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

struct Name {
    HistoryEntry::Outcome outcome;
    const char* text;
};

constexpr Name kOutcomes[] = {
    {HistoryEntry::Outcome::Submitted, "submitted"},
    {HistoryEntry::Outcome::SubmittedByMail, "submitted by e-mail"},
    {HistoryEntry::Outcome::MailFailed, "mail failed"},
    {HistoryEntry::Outcome::Skipped, "skipped"},
    {HistoryEntry::Outcome::NotApplicable, "not applicable"},
    {HistoryEntry::Outcome::Published, "published"},
    {HistoryEntry::Outcome::Cleared, "cleared"},
};

QString schema()
{
    return TableSchema::tableName(Table::ProgSite);
}

QVector<HistoryEntry> readRows(const QSqlDatabase& db, const QString& where, const QVariantList& params)
{
    QVector<HistoryEntry> rows;
    if (!TableSchema::hasTable(db, schema(), QString::fromLatin1(SubmissionHistory::TableName)))
        return rows;
    QSqlQuery query = Sql::exec(db,
        QStringLiteral("SELECT Time, ProgramName, SiteName, RunKind, Outcome, RunId FROM %1.%2 %3 ORDER BY Entry")
            .arg(Sql::quoted(schema()), QString::fromLatin1(SubmissionHistory::TableName), where),
        params);
    while (query.next()) {
        HistoryEntry entry;
        if (!HistoryEntry::parseKind(query.value(3).toString(), entry.kind)
            || !HistoryEntry::parseOutcome(query.value(4).toString(), entry.outcome))
            continue;
        entry.time = QDateTime::fromString(query.value(0).toString(), Qt::ISODate).toUTC();
        entry.program = query.value(1).toString();
        entry.site = query.value(2).toString();
        entry.runId = query.value(5).toLongLong();
        rows.append(entry);
    }
    return rows;
}

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A name as one line of the report: line breaks and tabs become blanks.
QString oneLine(QString text)
{
    for (QChar& c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

QString HistoryEntry::outcomeText(Outcome outcome)
{
    for (const Name& name : kOutcomes) {
        if (name.outcome == outcome)
            return QString::fromLatin1(name.text);
    }
    return QString();
}

QString HistoryEntry::kindText(Kind kind)
{
    switch (kind) {
    case Kind::Submit:
        return QStringLiteral("submit");
    case Kind::Update:
        return QStringLiteral("update");
    case Kind::Manual:
        break;
    }
    return QStringLiteral("manual");
}

bool HistoryEntry::parseOutcome(const QString& text, Outcome& outcome)
{
    for (const Name& name : kOutcomes) {
        if (text == QLatin1String(name.text)) {
            outcome = name.outcome;
            return true;
        }
    }
    return false;
}

bool HistoryEntry::parseKind(const QString& text, Kind& kind)
{
    for (Kind candidate : {Kind::Submit, Kind::Update, Kind::Manual}) {
        if (text == kindText(candidate)) {
            kind = candidate;
            return true;
        }
    }
    return false;
}

void SubmissionHistory::append(const QSqlDatabase& db, const HistoryEntry& entry)
{
    for (const TableDef& def : TableSchema::companionTables(Table::ProgSite))
        TableSchema::createCompanionTable(db, def, schema());
    QSqlQuery insert = Sql::exec(db,
        QStringLiteral("INSERT INTO %1.%2 (Time, ProgramName, SiteName, RunKind, Outcome, RunId) "
                       "VALUES (?, ?, ?, ?, ?, ?)")
            .arg(Sql::quoted(schema()), QString::fromLatin1(TableName)),
        {entry.time.toUTC().toString(Qt::ISODate), entry.program, entry.site, HistoryEntry::kindText(entry.kind),
            HistoryEntry::outcomeText(entry.outcome),
            entry.runId > 0 ? QVariant(entry.runId) : QVariant(QMetaType(QMetaType::LongLong))});
    insert.finish();
}

QVector<HistoryEntry> SubmissionHistory::read(const QSqlDatabase& db, const QString& program)
{
    if (program.isEmpty())
        return readRows(db, QString(), {});
    return readRows(db, QStringLiteral("WHERE ProgramName = ?"), {program});
}

QVector<HistoryEntry> SubmissionHistory::readRun(const QSqlDatabase& db, qint64 runId)
{
    return readRows(db, QStringLiteral("WHERE RunId = ?"), {runId});
}

QString SubmissionHistory::timeText(const QDateTime& time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString SubmissionHistory::toCsv(const QVector<HistoryEntry>& rows)
{
    QString text = QStringLiteral("Time (UTC),Program,Site,Run,Outcome") + kLineEnd;
    for (const HistoryEntry& row : rows) {
        text += QStringList {timeText(row.time), csvField(row.program), csvField(row.site),
                    HistoryEntry::kindText(row.kind), HistoryEntry::outcomeText(row.outcome)}
                    .join(QLatin1Char(','))
            + kLineEnd;
    }
    return text;
}

QString SubmissionHistory::toReport(const QVector<HistoryEntry>& rows, const QString& program)
{
    QString text
        = QStringLiteral("Submission History Report") + kLineEnd + QString(54, QLatin1Char('=')) + kLineEnd + kLineEnd;
    text += QStringLiteral("Program: ") + (program.isEmpty() ? QStringLiteral("all") : oneLine(program)) + kLineEnd;
    text += QStringLiteral("Entries: %1").arg(rows.size()) + kLineEnd + kLineEnd;
    for (const HistoryEntry& row : rows) {
        text += QStringLiteral("%1  %2  %3  %4  %5")
                    .arg(timeText(row.time), oneLine(row.program), oneLine(row.site), HistoryEntry::kindText(row.kind),
                        HistoryEntry::outcomeText(row.outcome))
            + kLineEnd;
    }
    return text;
}
