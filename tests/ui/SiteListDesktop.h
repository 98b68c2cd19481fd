#pragma once

#include "DesktopStartup.h"
#include "MainWindow.h"
#include "SiteSelector.h"
#include "Sql.h"
#include "SubmissionDatabase.h"
#include "TestSupport.h"

#include <QVariantList>
#include <QWidget>

// The child of window with that object name; the test program ends if there is none.
template<typename T> T* child(QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

// The desktop started on a fresh program directory, holding a file of that
// name and bytes if one is named. Messages and questions are recorded by
// sink; shut down when destroyed.
class SiteListDesktop {
public:
    explicit SiteListDesktop(const QString& fileName = QString(), const QByteArray& bytes = {})
    {
        if (!fileName.isEmpty())
            dir.writeFile(fileName, bytes);
        startup.start();
    }
    ~SiteListDesktop() { startup.shutdown(); }

    // Puts sites straight into the site list: columns as an INSERT names them
    // ("SiteName, HomeUrl"), one row of values for each site.
    void addSites(const QString& columns, const QList<QVariantList>& sites) const
    {
        const QString values = QStringList(int(sites.value(0).size()), QStringLiteral("?")).join(QLatin1Char(','));
        for (const QVariantList& site : sites)
            Sql::exec(
                dm().database(), QStringLiteral("INSERT INTO Sites.Sites (%1) VALUES (%2)").arg(columns, values), site);
        dm().refreshData();
    }

    SubmissionDatabase& dm() const { return *startup.dataModule(); }
    SiteSelector& selector() const { return *startup.siteSelector(); }
    MainWindow& mainWindow() const { return *startup.mainWindow(); }

    TestProgramDirectory dir;
    RecordingMessageSink sink;
    DesktopStartup startup {dir.path()};
};
