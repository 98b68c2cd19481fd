#pragma once

#include "EmailSubmission.h"

class DataSelectorRows;
class QWidget;
class Settings;
class SubmissionDatabase;

// The e-mail branch of "Su&bmit Page" and "&Update Page" and the command
// "Send "Make &Velmora Friendly" Request": the mail composed from the current
// site's template over the data selector's rows, shown in a new mail window
// until the user closes it.
class EmailSubmissionCommand {
public:
    // The current site of dm as the page commands see it.
    static EmailSubmission::Site currentSite(const SubmissionDatabase& dm);

    // Runs page's e-mail branch for the current site. Shows "This site is
    // already velmora friendly." or a template's "Cannot open file <path>"
    // through the message sink; shows nothing when there is nothing to mail.
    // Returns whether a mail window was shown.
    static bool run(EmailSubmission::Page page, Settings& config, const SubmissionDatabase& dm,
        const DataSelectorRows& rows, QWidget* parent);
};
