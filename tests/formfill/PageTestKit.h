#pragma once

#include "DataSelectorRows.h"
#include "FormFillContext.h"
#include "PropertyCatalogue.h"
#include "TestSupport.h"

#include <QUrl>
#include <QVariant>
#include <QWebEnginePage>

#include <memory>

// A UTF-8 literal as a QString.
inline QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// Descriptions of the current program that the page tests fill, beside the
// indices PropertyCatalogue names itself (ProgramName, Desc2000).
namespace PageField {
constexpr int Desc80 = 41;
constexpr int Desc250 = 42;
constexpr int Changes = 45;
} // namespace PageField

// What the page tests share: a program directory with the current program
// "My Tool" 2.5 on the site "Soft Site" (account author / s3cret), and ways to
// load a page and to run scripts in it.
class PageTestKit {
public:
    PageTestKit();

    TestProgramDirectory dir;
    PropertyCatalogue properties;
    std::unique_ptr<DataSelectorRows> rows;

    // Re-reads the catalogue into the rows after a test changed a value.
    void refreshRows();
    FormFillContext context(int lateFieldWindowMs = 0) const;

    // Writes the site's form map, one CONTROL element per "Name=DataField" pair.
    void writeMap(const QStringList& controls) const;
    // Writes the site values file of My Tool on Soft Site.
    void writeValues(const QByteArray& ini) const;

    static bool load(QWebEnginePage* page, const QUrl& url);
    // Runs script in the page's own world (or in world) and returns its value.
    static QVariant js(QWebEnginePage* page, const QString& script, quint32 world = 0);
    // The same in a script world of the test's own, where the page's
    // scripts cannot change what the document's accessors answer.
    static QVariant cleanJs(QWebEnginePage* page, const QString& script);
};
