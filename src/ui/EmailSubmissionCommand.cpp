#include "EmailSubmissionCommand.h"

#include "DataSelectorRows.h"
#include "MailWindow.h"
#include "MessageSink.h"
#include "QuilletError.h"
#include "Settings.h"
#include "SubmissionDatabase.h"

EmailSubmission::Site EmailSubmissionCommand::currentSite(const SubmissionDatabase& dm)
{
    EmailSubmission::Site site;
    const SiteCursor& sites = dm.sites();
    site.name = sites.currentSiteName();
    dm.getNavLink(QStringLiteral("submit"), site.submitLink);
    dm.getNavLink(QStringLiteral("update"), site.updateLink);
    dm.getNavLink(QStringLiteral("email"), site.emailLink);
    site.velmoraFriendly = sites.field(QStringLiteral("VelmoraFriendly")).toInt() != 0;
    return site;
}

bool EmailSubmissionCommand::run(EmailSubmission::Page page, Settings& config, const SubmissionDatabase& dm,
    const DataSelectorRows& rows, QWidget* parent)
{
    EmailSubmission::Result result;
    try {
        result = EmailSubmission::prepare(page, currentSite(dm), config.programDirectory(), rows);
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return false;
    }
    if (result.outcome == EmailSubmission::Outcome::AlreadyFriendly) {
        MessageSink::current().showMessage(EmailSubmission::alreadyFriendlyMessage());
        return false;
    }
    if (result.outcome != EmailSubmission::Outcome::Compose)
        return false;
    MailWindow window(config, parent);
    window.setDraft(result.draft);
    window.exec();
    return true;
}
