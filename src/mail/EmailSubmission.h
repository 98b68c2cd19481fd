#pragma once

#include <QString>

#include <optional>

class DataSelectorRows;

// What the mail window is opened with: the recipient, the subject and the
// body (each line followed by CR LF), and the CC box's text.
struct MailDraft {
    QString to;
    QString subject;
    QString body;
    QString cc;
};

// The e-mail branch of the submit and update page commands and the request to
// make a site velmora friendly: which address and template a site takes, and
// the mail composed from the template over the data selector's rows. Showing
// the mail window is the caller's part.
class EmailSubmission {
public:
    enum class Page { Submit, Update, Friendly };

    // The current site as the page commands see it.
    struct Site {
        QString name;
        QString submitLink; // the submit address with its fall-backs
        QString updateLink; // the update address with its fall-backs
        QString emailLink;  // the site's mail address, no fall-back
        bool velmoraFriendly = false;
    };

    enum class Outcome {
        Compose,         // draft holds the mail to show
        NotEmail,        // submit or update: the address is a web page; navigate instead
        AlreadyFriendly, // friendly request: the site already is; show alreadyFriendlyMessage()
        NoRequest,       // friendly request without mail address or template: nothing happens
        NothingToShow,   // the template expanded to no lines at all
    };

    struct Result {
        Outcome outcome = Outcome::NotEmail;
        QString recipient;    // the mail address the page command uses
        QString templatePath; // the template chosen
        MailDraft draft;
    };

    // The page's address: the submit or update link, or the mail address for the request.
    static QString link(Page page, const Site& site);

    // The template the page takes for site.
    static QString templateFor(Page page, const QString& programDirectory, const QString& siteName);

    // Runs the page's e-mail branch up to the mail window. Raises QuilletError
    // "Cannot open file <path>" when the chosen template cannot be opened.
    static Result prepare(Page page, const Site& site, const QString& programDirectory, const DataSelectorRows& rows);

    // Loads the template, expands its text (lines joined with CR LF) and splits
    // the result into lines again: the first is the subject, the rest the body,
    // each followed by CR LF; MailCC stays empty. Nothing when there is no line.
    // Raises QuilletError "Cannot open file <path>".
    static std::optional<MailDraft> composeFromTemplate(
        const QString& recipient, const QString& templatePath, const DataSelectorRows& rows);

    // "This site is already velmora friendly." in the language in force.
    static QString alreadyFriendlyMessage();
};
