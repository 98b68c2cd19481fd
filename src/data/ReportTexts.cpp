#include "ReportTexts.h"

#include "Sql.h"
#include "SubmissionDatabase.h"
#include "UserDate.h"

#include <QDate>
#include <QLocale>
#include <QSqlRecord>

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const QString kSiteOrder = QStringLiteral(" ORDER BY SiteName COLLATE NOCASE, SiteName");

class ReportWriter {
public:
    void line(const QString& text = QString()) { m_text += text + kLineEnd; }
    // The title, a rule of equals signs and an empty line.
    void heading(const QString& title)
    {
        line(title);
        line(QString(54, QLatin1Char('=')));
        line();
    }
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

QString percent(int count, int total)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    // An empty table counts nothing: every share is 0.00.
    const double share = total == 0 ? 0.0 : count * 100.0 / total;
    return locale.toString(share, 'f', 2);
}

QString countLine(const QString& label, int count, int total)
{
    return QStringLiteral("%1: %2  ( %3% )").arg(label).arg(count).arg(percent(count, total));
}

QString printedAddress(QString address)
{
    if (address.isEmpty())
        return address;
    if (address.endsWith(QLatin1Char('/')))
        address.chop(1);
    if (address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive))
        address.remove(0, 7);
    return address;
}

} // namespace

QString ReportTexts::progressReport(const QStringList& programNames) const
{
    m_dm.requireOpen(Table::Sites);
    m_dm.requireOpen(Table::ProgSite);
    const QSqlDatabase db = m_dm.database();
    int total = 0;
    int dead = 0;
    int hidden = 0;
    QSqlQuery sites = Sql::exec(db, QStringLiteral("SELECT Dead, Hide FROM Sites.Sites"));
    while (sites.next()) {
        ++total;
        dead += sites.value(0).toInt() != 0 ? 1 : 0;
        hidden += sites.value(1).toInt() != 0 ? 1 : 0;
    }

    ReportWriter report;
    report.heading(QStringLiteral("Software Submission Progress Status Report"));
    report.line(QStringLiteral("Date: ") + UserDate::toText(QDate::currentDate()));
    report.line(countLine(QStringLiteral("Total number of sites"), total, total));
    report.line(countLine(QStringLiteral("Number of dead sites"), dead, total));
    report.line(countLine(QStringLiteral("Number of hidden sites"), hidden, total));
    report.line();
    report.line();

    QSqlQuery flags(db);
    flags.prepare(
        QStringLiteral("SELECT Submitted, Published, NotApplicable FROM ProgSite.ProgSite WHERE ProgramName = ?"));
    for (const QString& name : programNames) {
        Sql::run(flags, {name});
        int submitted = 0;
        int published = 0;
        int notApplicable = 0;
        while (flags.next()) {
            submitted += flags.value(0).toInt() != 0 ? 1 : 0;
            published += flags.value(1).toInt() != 0 ? 1 : 0;
            notApplicable += flags.value(2).toInt() != 0 ? 1 : 0;
        }
        report.line(name);
        report.line(QLatin1Char('\t') + countLine(QStringLiteral("Number of sites submitted to"), submitted, total));
        report.line(QLatin1Char('\t') + countLine(QStringLiteral("Number of sites published to"), published, total));
        report.line(
            QLatin1Char('\t') + countLine(QStringLiteral("Number of sites not applicable to"), notApplicable, total));
        report.line();
        report.line();
    }
    return report.text();
}

QString ReportTexts::accountsReport() const
{
    m_dm.requireOpen(Table::Sites);
    ReportWriter report;
    report.heading(QStringLiteral("Quillet Site Accounts List Report"));
    const QString stars(55, QLatin1Char('*'));
    int listed = 0;
    QSqlQuery sites = Sql::exec(
        m_dm.database(), QStringLiteral("SELECT HomeUrl, Username, Password, UserNotes FROM Sites.Sites") + kSiteOrder);
    while (sites.next()) {
        const QString username = sites.value(1).toString();
        const QString password = sites.value(2).toString();
        const QString notes = sites.value(3).toString();
        if (username.trimmed().isEmpty() && password.trimmed().isEmpty() && notes.trimmed().isEmpty())
            continue;
        ++listed;
        report.line(stars);
        report.line();
        report.line(QStringLiteral("SITE:      ") + printedAddress(sites.value(0).toString()));
        report.line(QStringLiteral("USERNAME:  ") + username);
        report.line(QStringLiteral("PASSWORD:  ") + password);
        report.line(QStringLiteral("NOTES:     "));
        report.line();
        // Notes typed on Windows or here: every line ends in CR LF in the report.
        QString normalised = notes;
        normalised.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        report.line(normalised.replace(QLatin1Char('\n'), kLineEnd));
        report.line();
    }
    report.line(stars);
    report.line();
    report.line(QStringLiteral("There are %1 sites listed above.").arg(listed));
    return report.text();
}

QString ReportTexts::hiddenSitesReport() const
{
    m_dm.requireOpen(Table::Sites);
    ReportWriter report;
    report.heading(QStringLiteral("Hidden Sites List Report"));
    int listed = 0;
    QSqlQuery sites = Sql::exec(
        m_dm.database(), QStringLiteral("SELECT SiteName, HomeUrl FROM Sites.Sites WHERE Hide <> 0") + kSiteOrder);
    while (sites.next()) {
        ++listed;
        report.line(sites.value(0).toString());
        report.line(QLatin1Char('\t') + sites.value(1).toString());
        report.line();
    }
    report.line();
    report.line(QStringLiteral("There are %1 sites listed above.").arg(listed));
    return report.text();
}
