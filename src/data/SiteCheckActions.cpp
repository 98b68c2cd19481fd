#include "SiteCheckActions.h"

#include "MessageTranslation.h"
#include "QuilletError.h"
#include "SiteRowWriter.h"
#include "Sql.h"
#include "SubmissionDatabase.h"

int SiteCheckActions::hideSites(const QStringList& siteNames)
{
    m_dm.requireOpen(Table::Sites);
    SiteCursor& sites = m_dm.sites();
    const QString here = sites.currentSiteName();
    int hidden = 0;
    for (const QString& name : siteNames) {
        // The hide command toggles: a site hidden already stays hidden.
        if (!sites.locate(name) || sites.flag(sites.currentIndex(), QStringLiteral("Hide")))
            continue;
        m_dm.hideCurrentSite();
        ++hidden;
    }
    if (!here.isNull())
        sites.locate(here);
    return hidden;
}

SiteCheckActions::SiteCheckActions(SubmissionDatabase& dm)
    : m_dm(dm)
{ }

QString SiteCheckActions::noteLine(const SiteCheckResult& result)
{
    return translateMessage(QStringLiteral("New address (site check of %1): %2"))
        .arg(result.checkedAt.toUTC().date().toString(Qt::ISODate), result.outcome.newAddress);
}

void SiteCheckActions::useNewAddress(const SiteCheckResult& result, AddressUse use)
{
    m_dm.requireOpen(Table::Sites);
    if (result.outcome.kind != SiteCheckOutcome::Kind::Moved || result.outcome.newAddress.isEmpty())
        throw QuilletError(translateMessage(QStringLiteral("The site %1 has not moved.")).arg(result.siteName));
    const QSqlDatabase db = m_dm.database();
    QSqlQuery row = Sql::exec(db,
        QStringLiteral("SELECT %1, UserNotes FROM Sites.Sites WHERE SiteName = ?").arg(result.fieldName()),
        {result.siteName});
    if (!row.next())
        throw QuilletError(
            translateMessage(QStringLiteral("The site %1 is no longer in the site list.")).arg(result.siteName));
    const QString stored = row.value(0).toString();
    const QString notes = row.value(1).toString();
    row.finish();
    // Only the address that was checked is replaced: one changed since is
    // the author's (or the site list's) newer word.
    if (stored.trimmed() != result.address)
        throw QuilletError(
            translateMessage(QStringLiteral("The address of %1 has changed since it was checked; check it again."))
                .arg(result.siteName));

    if (use == AddressUse::ChangeAddress) {
        SiteRowWriter writer(m_dm);
        const int column = writer.fields().indexOf(result.fieldName());
        if (column < 0)
            throw QuilletError(QStringLiteral("The Sites table has no field %1").arg(result.fieldName()));
        writer.update(result.siteName, {{column, result.outcome.newAddress}});
    } else {
        const QString line = noteLine(result);
        if (notes.contains(line))
            return;
        QString text = notes;
        // The line goes on a line of its own, with the line end the notes use.
        const QString lineEnd = notes.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
        if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
            text += lineEnd;
        text += line;
        Sql::exec(
            db, QStringLiteral("UPDATE Sites.Sites SET UserNotes = ? WHERE SiteName = ?"), {text, result.siteName});
    }
    const QString here = m_dm.sites().currentSiteName();
    m_dm.sites().refresh();
    if (!here.isNull())
        m_dm.sites().locate(here);
}
