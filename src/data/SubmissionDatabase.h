#pragma once

#include "ProgSiteFlags.h"
#include "SiteCursor.h"
#include "TableSchema.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <QPair>
#include <QVector>

#include <array>
#include <functional>

class Settings;
class PropertyCatalogue;

// The data module: owns the connection to the three tables, brings their
// structure up to date, keeps the site cursor under the site filter and the
// current program's submission flags, and moves program records between the
// Programs table and the property catalogue.
class SubmissionDatabase : public QObject {
    Q_OBJECT
public:
    static constexpr const char* DefaultSiteFilter = "Dead=False AND Hide=False";

    SubmissionDatabase(Settings& config, PropertyCatalogue& properties, QObject* parent = nullptr);
    ~SubmissionDatabase() override;

    // Creates missing table files (owner-only), upgrades old ones, opens the
    // tables, applies the site filter and loads the last program.
    //
    // A table file as this program closed it last is not checked; one the
    // engine wrote since (the program ended without closing it) gets the
    // engine's quick check, and any other the full integrity check. A damaged
    // file is copied beside itself ("Sites.DAT.damaged-YYYYMMDD-HHMMSS") and
    // repaired from the copy, and a message says so, with the repaired table's
    // row count and where the copy is. A file that is no database is reported
    // in an "Error" box and stays closed (and untouched). Raises QuilletError
    // when a repair fails; the damaged file is then left exactly as it was.
    void open();

    // Brings every open table to its current structure; a failing step is
    // reported and ends that table's upgrade only.
    void upgradeTables();

    bool isTableOpen(Table table) const { return m_open[index(table)]; }
    QSqlDatabase database() const { return m_db; }
    Settings& config() const { return m_config; }
    PropertyCatalogue& properties() const { return m_properties; }

    // The current-site cursor over the filtered Sites rows.
    SiteCursor& sites() { return m_sites; }
    const SiteCursor& sites() const { return m_sites; }

    // The current program's flag rows.
    const ProgSiteFlags& programFlags() const { return m_flags; }

    // The site filter from the settings ("Dead=False AND Hide=False" when empty).
    void applySiteFilter();
    // Sets and applies a filter; a filter that does not parse is reported and
    // the default filter applied instead.
    void setSiteFilter(const QString& filter);

    // Program records.
    void loadPrograms(QStringList& list) const;
    void addProgram(const QString& name);
    void loadProgram(const QString& name);
    void saveProgram(const QString& name);
    void deleteProgram(const QString& name);
    void refreshData();

    // The current program's flag at the current site (false without a row).
    bool getProgSiteFlag(const QString& flag) const;
    // The current program's row for the current site, nullptr when it has none.
    const ProgSiteRow* currentProgSiteRow() const;
    // Sets a flag of the current program at the current site; the first
    // change creates the row.
    void setProgSiteFlag(const QString& flag, bool value);
    // Sets flags of the current program at the current site in one
    // transaction, together with alsoWrite's writes (which may touch only
    // ProgSite.DAT): all land or none does, and the flags shown stay as the
    // file has them. The first change creates the row. Raises QuilletError
    // when the engine refuses any of it.
    void setProgSiteFlags(const QVector<QPair<QString, bool>>& flags, const std::function<void()>& alsoWrite = {});
    void setProgSiteFileID(const QString& fileId);

    // Writes one of the author's fields of the current site: Username,
    // Password, UserNotes, or (maintainer mode) Notes.
    void setCurrentSiteText(const QString& field, const QString& value);

    // The address of one of the current site's pages: "home", "search",
    // "submit", "update" or "email" (compared exactly); other kinds leave link.
    void getNavLink(const QString& kind, QString& link) const;
    // Moves forward to the first site whose name's first letter (lower case)
    // is not below key, or to the last site.
    void getSiteByKey(QChar key);

    // Toggles the current site's Hide mark.
    void hideCurrentSite();
    // "Dead=False" when on, the default filter when off.
    void setShowHiddenSites(bool on);
    bool showHiddenSites() const { return m_showHidden; }
    // Asks, then clears the Submitted or Published flags of the current program
    // (Published also marks those sites OldVersion). False when not confirmed.
    bool clearFlagsForAllSites(const QString& flag, const QString& windowCaption);
    // Renames findText to replaceText in every flag row; returns the rows changed.
    int replaceProgramAll(const QString& findText, const QString& replaceText);

    // Merges program directory + "sites.zip" into Sites; true when committed.
    bool updateSites();

    int tableVersion(Table table) const;
    int rowCount(Table table) const;

    // The table's file in the program directory.
    QString tablePath(Table table) const;

    // Reloads the current program's flag rows (after changes made by queries).
    void reloadProgramFlags();

    // Raises QuilletError when table is closed.
    void requireOpen(Table table) const;

Q_SIGNALS:
    // The current program's flags changed (one row or all of them).
    void programFlagsChanged();

private:
    static int index(Table table) { return static_cast<int>(table); }
    enum class Check { None, Quick, Full };

    void attachTables();
    void openTable(Table table);
    void detachTable(Table table);
    void repairTable(Table table);
    void upgradeTable(Table table);
    ProgSiteRow* editableCurrentRow();

    Settings& m_config;
    PropertyCatalogue& m_properties;
    QString m_connectionName;
    QString m_directory; // the program directory the tables were opened in
    QSqlDatabase m_db;
    std::array<bool, 3> m_attached {};
    std::array<bool, 3> m_open {};
    std::array<QString, 3> m_attachError;
    std::array<bool, 3> m_held {}; // another program held the file locked at the open
    std::array<Check, 3> m_check {Check::Full, Check::Full, Check::Full};
    SiteCursor m_sites;
    ProgSiteFlags m_flags;
    bool m_showHidden = false;
};
