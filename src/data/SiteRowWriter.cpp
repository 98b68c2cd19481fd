#include "SiteRowWriter.h"

#include "MessageTranslation.h"
#include "QuilletError.h"
#include "Sql.h"
#include "SubmissionDatabase.h"

namespace {

QString shownName(const QVariant& name)
{
    return name.isNull() ? QStringLiteral("(no name)") : name.toString();
}

QString writeRefused(const QString& engineText)
{
    return translateMessage(QStringLiteral("The site could not be saved: %1")).arg(engineText);
}

QString siteGone(const QVariant& name)
{
    return translateMessage(QStringLiteral("The site \"%1\" is no longer in the table, or is there more than once. "
                                           "Refresh to see the sites as they are now."))
        .arg(shownName(name));
}

// Runs one statement inside the transaction and demands that it changed
// exactly one row; anything else rolls the transaction back.
void execOneRow(const QSqlDatabase& db, const QString& sql, const QVariantList& values, const QVariant& name)
{
    QSqlQuery query(db);
    if (!query.prepare(sql))
        throw QuilletError(writeRefused(Sql::errorText(query)));
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(static_cast<int>(i), values.at(i));
    if (!query.exec())
        throw QuilletError(writeRefused(Sql::errorText(query)));
    if (query.numRowsAffected() != 1)
        throw QuilletError(siteGone(name));
}

} // namespace

SiteRowWriter::SiteRowWriter(SubmissionDatabase& dm)
    : m_dm(dm)
{
    m_dm.requireOpen(Table::Sites);
    m_fields = SiteFields::read(m_dm.database());
    if (m_fields.siteNameColumn() < 0)
        throw QuilletError(QStringLiteral("The Sites table has no SiteName field"));
}

QVariantMap SiteRowWriter::parseAll(const Texts& texts) const
{
    QVariantMap values;
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        if (it.key() < 0 || it.key() >= m_fields.count())
            throw QuilletError(QStringLiteral("The Sites table has no column %1").arg(it.key()));
        values.insert(m_fields.at(it.key()).name, m_fields.parse(it.key(), it.value()));
    }
    return values;
}

void SiteRowWriter::checkName(const QVariant& name, const QVariant& previous) const
{
    const QString text = name.toString();
    if (name.isNull() || text.trimmed().isEmpty())
        throw QuilletError(translateMessage(QStringLiteral("A site needs a name: SiteName cannot be empty.")));
    if (!previous.isNull() && previous.toString() == text)
        return;
    const int taken
        = Sql::scalar(m_dm.database(), QStringLiteral("SELECT count(*) FROM Sites.Sites WHERE SiteName = ?"), {text})
              .toInt();
    if (taken > 0) {
        throw QuilletError(
            translateMessage(QStringLiteral("A site named \"%1\" already exists: SiteName must be unique.")).arg(text));
    }
}

void SiteRowWriter::update(const QVariant& siteName, const Texts& texts)
{
    m_dm.requireOpen(Table::Sites);
    const QVariantMap values = parseAll(texts);
    if (values.isEmpty())
        return;
    const QString nameField = m_fields.at(m_fields.siteNameColumn()).name;
    QSqlDatabase db = m_dm.database();
    Sql::inTransaction(db, [&] {
        if (values.contains(nameField))
            checkName(values.value(nameField), siteName);
        QStringList assignments;
        QVariantList bound;
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            assignments.append(Sql::quoted(it.key()) + QStringLiteral(" = ?"));
            bound.append(it.value());
        }
        bound.append(siteName);
        execOneRow(db,
            QStringLiteral("UPDATE Sites.Sites SET %1 WHERE SiteName IS ?").arg(assignments.join(QStringLiteral(", "))),
            bound, siteName);
    });
}

QString SiteRowWriter::insert(const Texts& texts)
{
    m_dm.requireOpen(Table::Sites);
    const QVariantMap values = parseAll(texts);
    const QString nameField = m_fields.at(m_fields.siteNameColumn()).name;
    const QVariant name = values.value(nameField);
    QSqlDatabase db = m_dm.database();
    Sql::inTransaction(db, [&] {
        checkName(name, QVariant());
        QStringList columns;
        QVariantList bound;
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            columns.append(Sql::quoted(it.key()));
            bound.append(it.value());
        }
        const QString placeholders = QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", "));
        execOneRow(db,
            QStringLiteral("INSERT INTO Sites.Sites (%1) VALUES (%2)")
                .arg(columns.join(QStringLiteral(", ")), placeholders),
            bound, name);
    });
    return name.toString();
}

void SiteRowWriter::remove(const QVariant& siteName)
{
    m_dm.requireOpen(Table::Sites);
    QSqlDatabase db = m_dm.database();
    Sql::inTransaction(db,
        [&] { execOneRow(db, QStringLiteral("DELETE FROM Sites.Sites WHERE SiteName IS ?"), {siteName}, siteName); });
}
