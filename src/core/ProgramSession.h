#pragma once

#include "PropertyCatalogue.h"
#include "Settings.h"

#include <memory>

// The objects that live for the whole run: the property catalogue and the
// settings store. Created before any window, loaded at start, saved at
// shutdown, released after the user-interface loop has ended. The windows
// and the data module are created by the program between start() and
// shutdown().
class ProgramSession {
public:
    explicit ProgramSession(const QString& programDirectory);
    ~ProgramSession();

    ProgramSession(const ProgramSession&) = delete;
    ProgramSession& operator=(const ProgramSession&) = delete;

    const QString& programDirectory() const { return m_programDirectory; }
    PropertyCatalogue& properties() { return *m_properties; }
    Settings& config() { return *m_config; }

    // Loads the settings, the Power Paste settings included: the company
    // details and the last program's name reach the catalogue.
    void start();

    // Saves the settings, then releases the store and the catalogue. A write
    // the file system refuses is reported through the message sink and the
    // release goes on. Returns whether the settings were saved.
    bool shutdown();

    bool isRunning() const { return m_config != nullptr; }

private:
    QString m_programDirectory;
    std::unique_ptr<PropertyCatalogue> m_properties;
    std::unique_ptr<Settings> m_config;
};
