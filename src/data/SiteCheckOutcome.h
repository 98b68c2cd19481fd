#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QStringList>

// What one site's address check found: exactly one of six kinds. A moved site
// carries the address its permanent redirects lead to, an error the HTTP
// status; every kind may carry a detail for the reader ("Connection
// refused", "Too many redirects").
struct SiteCheckOutcome {
    enum class Kind { Ok, Moved, Gone, Error, NoAnswer, CertificateProblem };

    Kind kind = Kind::NoAnswer;
    int status = 0;     // the HTTP status of the last reply; 0 when none came
    QString newAddress; // Moved only
    QString detail;

    static SiteCheckOutcome ok(int status) { return {Kind::Ok, status, {}, {}}; }
    static SiteCheckOutcome moved(const QString& address, int status) { return {Kind::Moved, status, address, {}}; }
    static SiteCheckOutcome gone(int status) { return {Kind::Gone, status, {}, {}}; }
    static SiteCheckOutcome error(int status, const QString& detail = QString())
    {
        return {Kind::Error, status, {}, detail};
    }
    static SiteCheckOutcome noAnswer(const QString& detail) { return {Kind::NoAnswer, 0, {}, detail}; }
    static SiteCheckOutcome certificateProblem(const QString& detail)
    {
        return {Kind::CertificateProblem, 0, {}, detail};
    }

    // "OK", "Moved to ADDRESS", "Gone (404/410)", "Error CODE", "No answer",
    // "Certificate problem", translated.
    QString text() const;

    // The kind's name as stored and as --filter takes it: "ok", "moved",
    // "gone", "error", "no-answer", "certificate".
    static QString kindKey(Kind kind);
    // The kind a key names (without regard to case); false when none.
    static bool kindFromKey(const QString& key, Kind& kind);
    static QStringList kindKeys();
    // The kind's heading as the window's filter shows it ("Moved", "No answer"), translated.
    static QString kindTitle(Kind kind);

    bool operator==(const SiteCheckOutcome& other) const
    {
        return kind == other.kind && status == other.status && newAddress == other.newAddress && detail == other.detail;
    }
};

// Which of a site's addresses was checked.
enum class SiteCheckField { Submit, Home };

// A site's check as it is shown, stored and reported.
struct SiteCheckResult {
    QString siteName;
    QString address;                             // the address that was checked
    SiteCheckField field = SiteCheckField::Home; // the site's field that holds it
    SiteCheckOutcome outcome;
    QDateTime checkedAt; // UTC

    // The Sites column that holds the checked address: "SubmitUrl" or "HomeUrl".
    QString fieldName() const;
};

Q_DECLARE_METATYPE(SiteCheckResult)
