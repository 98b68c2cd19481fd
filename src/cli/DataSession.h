#pragma once

#include "ProgramSession.h"
#include "SubmissionDatabase.h"

#include <memory>
#include <optional>

// What a command that works on the tables needs: the settings loaded, the
// language in force for messages, and the data module opened as the program
// opens it at start-up.
class DataSession {
public:
    explicit DataSession(const QString& programDirectory);
    ~DataSession();

    DataSession(const DataSession&) = delete;
    DataSession& operator=(const DataSession&) = delete;

    ProgramSession& session() { return m_session; }
    Settings& config() { return m_session.config(); }
    PropertyCatalogue& properties() { return m_session.properties(); }
    SubmissionDatabase& dm() { return *m_dm; }

    // The site cursor after the commands' site options: every site with all,
    // those passing filterText when it is given, else the filter in force.
    // Throws QuilletError when the filter text is not valid.
    SiteCursor& selectSites(bool all, const std::optional<QString>& filterText);

    // Moves the site cursor to the named site, which need not pass the
    // filter in force. Throws QuilletError when no site has the name.
    void locateSite(const QString& site);

    // Throws QuilletError when no program has the name.
    void requireProgram(const QString& program);

private:
    ProgramSession m_session;
    std::unique_ptr<SubmissionDatabase> m_dm;
};
