#include "ProgramSession.h"

#include "MessageSink.h"
#include "QuilletError.h"

ProgramSession::ProgramSession(const QString& programDirectory)
    : m_programDirectory(programDirectory)
    , m_properties(std::make_unique<PropertyCatalogue>())
    , m_config(std::make_unique<Settings>(programDirectory, *m_properties))
{ }

ProgramSession::~ProgramSession() = default;

void ProgramSession::start()
{
    m_config->loadSettings();
    // The Power Paste settings are read again when the data selector is
    // created; reading them here too means a save can never write back the
    // store's empty defaults over them, whichever windows exist.
    m_config->loadPowerPasteSettings();
}

bool ProgramSession::shutdown()
{
    if (!m_config)
        return false;
    bool saved = true;
    try {
        m_config->saveSettings();
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        saved = false;
    }
    m_config.reset();
    m_properties.reset();
    return saved;
}
