#include "PageTestKit.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEngineScript>

PageTestKit::PageTestKit()
{
    properties[PropertyCatalogue::ProgramName].setValue(QStringLiteral("My Tool"));
    properties[15].setValue(QStringLiteral("2.5"));           // Version
    properties[2].setValue(QStringLiteral("me@example.com")); // EMail
    rows = std::make_unique<DataSelectorRows>(properties);
    rows->fillCaptions();
    rows->refreshData();
}

void PageTestKit::refreshRows()
{
    rows->refreshData();
}

FormFillContext PageTestKit::context(int lateFieldWindowMs) const
{
    FormFillContext c;
    c.programDirectory = dir.path();
    c.rows = rows.get();
    c.site = {QStringLiteral("Soft Site"), QStringLiteral("author"), QStringLiteral("s3cret")};
    c.programName = QStringLiteral("My Tool");
    c.lateFieldWindowMs = lateFieldWindowMs;
    return c;
}

void PageTestKit::writeMap(const QStringList& controls) const
{
    QByteArray xml = "<XML_SITE_SUBMIT_INFO>";
    for (const QString& control : controls) {
        const qsizetype eq = control.indexOf(QLatin1Char('='));
        xml += "<CONTROL Name=\"" + control.left(eq).toUtf8() + "\" Type=\"\" DataField=\""
            + control.mid(eq + 1).toUtf8() + "\"/>";
    }
    xml += "</XML_SITE_SUBMIT_INFO>\r\n";
    dir.writeFile(QStringLiteral("SiteData/Soft Site.xml"), xml);
}

void PageTestKit::writeValues(const QByteArray& ini) const
{
    dir.writeFile(QStringLiteral("SiteData/My ToolSoft Site.ini"), ini);
}

bool PageTestKit::load(QWebEnginePage* page, const QUrl& url)
{
    QSignalSpy finished(page, &QWebEnginePage::loadFinished);
    page->load(url);
    return finished.wait(20000) && finished.first().first().toBool();
}

QVariant PageTestKit::js(QWebEnginePage* page, const QString& script, quint32 world)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, world, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        qWarning("no answer to %s", qPrintable(script));
    return result;
}

QVariant PageTestKit::cleanJs(QWebEnginePage* page, const QString& script)
{
    return js(page, script, QWebEngineScript::UserWorld + 7);
}
