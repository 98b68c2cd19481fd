#pragma once

#include "TProperties.h"

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
class TConfig {
public:
    static constexpr const char* DefaultSiteFilter = "Dead=False AND Hide=False";
    static constexpr int MaxQuickPasteItems = 10;

    // programDirectory ends in a separator; the catalogue outlives the store.
    TConfig(QString programDirectory, TProperties& properties);

    const QString& programDirectory() const { return m_programDirectory; }
    QString settingsFile() const { return m_programDirectory + QStringLiteral("quillet.ini"); }
    QString companiesFile() const { return m_programDirectory + QStringLiteral("companies.ini"); }
    TProperties& properties() const { return m_properties; }

    void LoadSettings();
    // Raises QuilletError "Unable to write to <file>" when a file cannot be written.
    void SaveSettings();
    void ListCompanies(QStringList& list) const;
    void LoadCompany(const QString& name);
    void LoadPopUpList(QuickPasteList& list) const;
    void SavePopUpList(const QuickPasteList& list) const;
    void LoadWindowGeometry(const QString& prefix, WindowGeometry& window, int& splitter) const;
    void SaveWindowGeometry(const QString& prefix, const WindowGeometry& window, int splitter) const;
    void LoadPowerPasteSettings();

    bool AutoFillFormFields = false;
    QString HostAddress;
    QString From;
    QString EMailLoginID;
    QString EMailPassword;
    QString MemberLoginID;
    QString MemberPassword;
    QString LastCompany;
    QString LastPADPath;
    QString LastArcPath;
    QString SiteFilter;
    QString Language;
    bool Authentication = false;
    bool SiteEffects = false;
    double SiteVer = 0.0;
    int BrowserContextMenuIndex = 0;
    int MenuItemsPerColumn = 1;

private:
    QString m_programDirectory;
    TProperties& m_properties;
};
