#include "EmailSubmission.h"

#include "EmailTemplate.h"
#include "Helpers.h"
#include "MessageTranslator.h"
#include "TextDecoding.h"

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

} // namespace

QString EmailSubmission::link(Page page, const Site& site)
{
    switch (page) {
    case Page::Submit:
        return site.submitLink;
    case Page::Update:
        return site.updateLink;
    case Page::Friendly:
        break;
    }
    return site.emailLink;
}

QString EmailSubmission::templateFor(Page page, const QString& programDirectory, const QString& siteName)
{
    switch (page) {
    case Page::Submit:
        return EmailTemplate::submitTemplate(programDirectory, siteName);
    case Page::Update:
        return EmailTemplate::updateTemplate(programDirectory, siteName);
    case Page::Friendly:
        break;
    }
    return EmailTemplate::friendlyRequestTemplate(programDirectory);
}

EmailSubmission::Result EmailSubmission::prepare(
    Page page, const Site& site, const QString& programDirectory, const DataSelectorRows& rows)
{
    Result result;
    if (page == Page::Friendly && site.velmoraFriendly) {
        result.outcome = Outcome::AlreadyFriendly;
        return result;
    }
    result.recipient = link(page, site);
    result.templatePath = templateFor(page, programDirectory, site.name);
    if (!isEmailAddress(result.recipient)) {
        result.outcome = page == Page::Friendly ? Outcome::NoRequest : Outcome::NotEmail;
        return result;
    }
    if (page == Page::Friendly && !EmailTemplate::exists(result.templatePath)) {
        result.outcome = Outcome::NoRequest;
        return result;
    }
    const std::optional<MailDraft> draft = composeFromTemplate(result.recipient, result.templatePath, rows);
    if (!draft) {
        result.outcome = Outcome::NothingToShow;
        return result;
    }
    result.outcome = Outcome::Compose;
    result.draft = *draft;
    return result;
}

std::optional<MailDraft> EmailSubmission::composeFromTemplate(
    const QString& recipient, const QString& templatePath, const DataSelectorRows& rows)
{
    const QStringList lines = EmailTemplate::load(templatePath);
    QString text;
    for (const QString& line : lines)
        text += line + kLineEnd;
    const QStringList expanded = splitLines(EmailTemplate::expand(text, rows));
    if (expanded.isEmpty())
        return std::nullopt;
    MailDraft draft;
    draft.to = recipient;
    draft.subject = expanded.first();
    for (qsizetype i = 1; i < expanded.size(); ++i)
        draft.body += expanded.at(i) + kLineEnd;
    return draft;
}

QString EmailSubmission::alreadyFriendlyMessage()
{
    return translateMsg(QStringLiteral("This site is already velmora friendly."));
}
