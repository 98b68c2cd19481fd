#pragma once

#include "ProgramSession.h"
#include "SubmissionDatabase.h"
#include "TestSupport.h"

#include <QVariantMap>

#include <memory>

// A program directory with a running session and an opened data module.
class DataFixture {
public:
    DataFixture();
    ~DataFixture();

    // Starts the session and creates the data module (tables made when missing).
    void open();
    // Releases the data module (the files stay).
    void close();

    SubmissionDatabase& dm() { return *m_dm; }
    PropertyCatalogue& properties() { return session.properties(); }
    Settings& config() { return session.config(); }

    // Rows written straight into the tables, then the cursor and flags re-read.
    void addSite(const QString& name, const QVariantMap& fields = {});
    // A program record saved through the data module, as the editor saves
    // it: the given properties (by index) besides its name.
    void addProgram(const QString& name, const QMap<int, QString>& values = {});
    void addFlags(const QString& program, const QString& site, const QVariantMap& flags);
    QVariantMap programRow(const QString& name);
    QVariantMap siteRow(const QString& name);
    QVariantMap flagRow(const QString& program, const QString& site);
    QStringList visibleSites();

    TestProgramDirectory dir;
    ProgramSession session;

private:
    std::unique_ptr<SubmissionDatabase> m_dm;
};

// Writes a table file at version 1.0 with the installed structure and rows
// given as lists of values in column order.
void createVersion10Table(const QString& path, Table table, const QList<QVariantList>& rows = {});

// The column names of a table file, in order, and its user version.
QStringList columnsOfFile(const QString& path, const QString& table);
int versionOfFile(const QString& path);
