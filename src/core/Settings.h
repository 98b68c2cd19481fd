#pragma once

#include "PropertyCatalogue.h"

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
    // Raises QuilletError "Unable to write to <file>" when a file cannot be
    // written, and companyNameProblem() (after quillet.ini is written, with
    // companies.ini untouched) when LastCompany cannot be a section name.
    // Both files are created readable by their owner only: they hold passwords.
    void saveSettings();
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
    QString m_programDirectory;
    PropertyCatalogue& m_properties;
};
