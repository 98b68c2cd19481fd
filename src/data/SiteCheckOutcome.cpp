#include "SiteCheckOutcome.h"

#include "MessageTranslation.h"

namespace {

struct KindName {
    SiteCheckOutcome::Kind kind;
    const char* key;
    const char* title;
};

constexpr KindName kKinds[] = {
    {SiteCheckOutcome::Kind::Ok, "ok", MESSAGE_NOOP("OK")},
    {SiteCheckOutcome::Kind::Moved, "moved", MESSAGE_NOOP("Moved")},
    {SiteCheckOutcome::Kind::Gone, "gone", MESSAGE_NOOP("Gone (404/410)")},
    {SiteCheckOutcome::Kind::Error, "error", MESSAGE_NOOP("Error")},
    {SiteCheckOutcome::Kind::NoAnswer, "no-answer", MESSAGE_NOOP("No answer")},
    {SiteCheckOutcome::Kind::CertificateProblem, "certificate", MESSAGE_NOOP("Certificate problem")},
};

} // namespace

QString SiteCheckOutcome::text() const
{
    switch (kind) {
    case Kind::Moved:
        return translateMessage(QStringLiteral("Moved to %1")).arg(newAddress);
    case Kind::Error:
        return translateMessage(QStringLiteral("Error %1")).arg(status);
    default:
        return kindTitle(kind);
    }
}

QString SiteCheckOutcome::kindKey(Kind kind)
{
    for (const KindName& name : kKinds) {
        if (name.kind == kind)
            return QString::fromLatin1(name.key);
    }
    return QString();
}

bool SiteCheckOutcome::kindFromKey(const QString& key, Kind& kind)
{
    for (const KindName& name : kKinds) {
        if (key.compare(QLatin1String(name.key), Qt::CaseInsensitive) == 0) {
            kind = name.kind;
            return true;
        }
    }
    return false;
}

QStringList SiteCheckOutcome::kindKeys()
{
    QStringList keys;
    for (const KindName& name : kKinds)
        keys.append(QString::fromLatin1(name.key));
    return keys;
}

QString SiteCheckOutcome::kindTitle(Kind kind)
{
    for (const KindName& name : kKinds) {
        if (name.kind == kind)
            return translateMessage(QString::fromLatin1(name.title)); // lng-keys: indirect
    }
    return QString();
}

QString SiteCheckResult::fieldName() const
{
    return field == SiteCheckField::Submit ? QStringLiteral("SubmitUrl") : QStringLiteral("HomeUrl");
}
