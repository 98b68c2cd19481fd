#pragma once

#include "PropertyCatalogue.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// The items of the quick paste menu, as the settings store reads and writes
// them: one catalogue index per item, oldest first.
class QuickPasteList {
public:
    virtual ~QuickPasteList() = default;
    virtual void appendQuickPasteItem(int catalogueIndex) = 0;
    virtual QVector<int> quickPasteItems() const = 0;
};

// Left, top, width and height of a window.
struct WindowGeometry {
    int x = 10;
    int y = 10;
    int width = 760;
    int height = 600;
};

// The settings store: every persisted option, and the moves of the current
// company's details and the last program's name between quillet.ini,
// companies.ini and the property catalogue.
class Settings {
public:
    static constexpr const char* DefaultSiteFilter = "Dead=False AND Hide=False";
    static constexpr int MaxQuickPasteItems = 10;

    // programDirectory ends in a separator; the catalogue outlives the store.
    Settings(QString programDirectory, PropertyCatalogue& properties);

    const QString& programDirectory() const { return m_programDirectory; }
    QString settingsFile() const { return m_programDirectory + QStringLiteral("quillet.ini"); }
    QString companiesFile() const { return m_programDirectory + QStringLiteral("companies.ini"); }
    PropertyCatalogue& properties() const { return m_properties; }

    void loadSettings();
    // Writes to quillet.ini only the keys whose values the program changed
    // since it read them (or last wrote them), and keys the file lacks; a key
    // edited by hand while the program runs keeps the hand-edited value
    // unless the program changed that setting too. Then writes the current
    // company as saveCompany does.
    //
    // Raises QuilletError "Unable to write to <file>" when a file cannot be
    // written, and companyNameProblem() (after quillet.ini is written, with
    // companies.ini untouched) when LastCompany cannot be a section name.
    // Both files are created readable by their owner only: they hold passwords.
    void saveSettings();
    // Writes the current company (LastCompany and the catalogue's company
    // values) to its section of companies.ini at once: the 13 company keys;
    // other keys and sections stay as they are. Raises QuilletError as
    // saveSettings does; nothing is written for an empty LastCompany.
    void saveCompany();
    void listCompanies(QStringList& list) const;
    // Why name cannot be a company's section in companies.ini (it would read
    // back as another name or break the file), or an empty text when it can.
    static QString companyNameProblem(const QString& name);
    void loadCompany(const QString& name);
    void loadPopUpList(QuickPasteList& list) const;
    void savePopUpList(const QuickPasteList& list) const;
    void loadWindowGeometry(const QString& prefix, WindowGeometry& window, int& splitter) const;
    void saveWindowGeometry(const QString& prefix, const WindowGeometry& window, int splitter) const;
    // True when quillet.ini holds a splitter location (one was saved at an earlier exit).
    bool hasSplitterLocation() const;
    void loadPowerPasteSettings();

    bool autoFillFormFields = false;
    QString hostAddress;
    QString from;
    QString emailLoginId;
    QString emailPassword;
    QString memberLoginId;
    QString memberPassword;
    QString lastCompany;
    QString lastPadPath;
    QString lastArcPath;
    QString siteFilter;
    QString language;
    // Base address of the update server ("http://host" or "https://host/path"); empty when none is set.
    QString updateServer;
    bool authentication = false;
    bool siteEffects = false;
    double siteVer = 0.0;
    int browserContextMenuIndex = 0;
    int menuItemsPerColumn = 1;
    // The SMTP server's port, "none", "starttls" or "tls", and an extra PEM
    // file of certificates to trust ([EMail] Port, Security, CAFile).
    int emailPort = 25;
    QString emailSecurity;
    QString emailCaFile;

private:
    struct Entry {
        QString section;
        QString key;
        QString text;
    };
    // The keys saveSettings writes to quillet.ini with the texts the
    // program's values give, in the order they are written.
    QVector<Entry> generalEntries() const;
    QVector<Entry> powerPasteEntries() const;
    static QString entryId(const QString& section, const QString& key);
    void noteAsRead(const QVector<Entry>& entries);

    QString m_programDirectory;
    PropertyCatalogue& m_properties;
    // The text of each quillet.ini key as last read or written, by entryId.
    QHash<QString, QString> m_asRead;
};
