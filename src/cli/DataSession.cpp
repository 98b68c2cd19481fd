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
