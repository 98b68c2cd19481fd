#include "DataSession.h"

#include "MessageTranslator.h"
#include "QuilletError.h"
#include "SiteCursor.h"

DataSession::DataSession(const QString& programDirectory)
    : m_session(programDirectory)
{
    m_session.start();
    useLanguageOf(&m_session.config());
    m_dm = std::make_unique<SubmissionDatabase>(m_session.config(), m_session.properties());
    m_dm->open();
}

DataSession::~DataSession()
{
    m_dm.reset();
    useLanguageOf(nullptr);
}

SiteCursor& DataSession::selectSites(bool all, const std::optional<QString>& filterText)
{
    m_dm->requireOpen(Table::Sites);
    SiteCursor& sites = m_dm->sites();
    if (all) {
        sites.setFiltered(false);
        sites.refresh();
    } else if (filterText) {
        const QString error = sites.setFilter(*filterText);
        if (!error.isEmpty())
            throw QuilletError(QStringLiteral("The site filter \"%1\" is not valid: %2").arg(*filterText, error));
        sites.refresh();
    }
    return sites;
}

void DataSession::locateSite(const QString& site)
{
    m_dm->requireOpen(Table::Sites);
    SiteCursor& sites = m_dm->sites();
    if (sites.locate(site))
        return;
    // The site selector lists the sites that pass the filter; a command names any site.
    sites.setFiltered(false);
    sites.refresh();
    if (!sites.locate(site))
        throw QuilletError(QStringLiteral("The site \"%1\" does not exist.").arg(site));
}

void DataSession::requireProgram(const QString& program)
{
    QStringList programs;
    m_dm->loadPrograms(programs);
    if (!programs.contains(program))
        throw QuilletError(QStringLiteral("The program \"%1\" does not exist.").arg(program));
}
