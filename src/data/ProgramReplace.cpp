#include "ProgramReplace.h"

#include "MessageSink.h"
#include "MessageTranslation.h"
#include "QuilletError.h"
#include "Sql.h"
#include "SubmissionDatabase.h"

void ProgramReplace::start()
{
    m_started = false;
    m_matchFound = false;
    m_afterProgram.clear();
    m_afterSite.clear();
}

int ProgramReplace::replaceAll(const QString& findText, const QString& replaceText)
{
    return m_dm.replaceProgramAll(findText, replaceText);
}

bool ProgramReplace::replaceNext(const QString& findText, const QString& replaceText)
{
    m_dm.requireOpen(Table::ProgSite);
    const QSqlDatabase db = m_dm.database();
    QString sql = QStringLiteral("SELECT ProgramName, SiteName FROM ProgSite.ProgSite");
    QVariantList parameters;
    if (m_started) {
        sql += QStringLiteral(" WHERE (ProgramName, SiteName) > (?, ?)");
        parameters = {m_afterProgram, m_afterSite};
    }
    sql += QStringLiteral(" ORDER BY ProgramName, SiteName");
    QSqlQuery rows = Sql::exec(db, sql, parameters);
    while (rows.next()) {
        const QString program = rows.value(0).toString();
        const QString site = rows.value(1).toString();
        m_started = true;
        m_afterProgram = program;
        m_afterSite = site;
        const qsizetype at = findText.isEmpty() ? -1 : program.indexOf(findText, 0, Qt::CaseInsensitive);
        if (at < 0)
            continue;
        m_matchFound = true;
        rows.finish();
        QString renamed = program;
        renamed.replace(at, findText.size(), replaceText);
        try {
            Sql::exec(db,
                QStringLiteral("UPDATE ProgSite.ProgSite SET ProgramName = ? WHERE ProgramName = ? AND SiteName = ?"),
                {renamed, program, site});
        } catch (const QuilletError&) {
            return false;
        }
        m_dm.reloadProgramFlags();
        return true;
    }
    if (!m_matchFound)
        MessageSink::current().showMessage(translateMessage(QStringLiteral("No matches found")));
    return false;
}
