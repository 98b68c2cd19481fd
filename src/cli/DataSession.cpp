#include "DataSession.h"

#include "MessageTranslator.h"

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
