#pragma once

// Commands that need a heavy library run in helper programs that quillet-cli
// starts for them (HelperCommandProxy), so that every other command starts
// without that library: the page commands need the browser engine
// (quillet-cli-page), the mail commands the mail transfer library
// (quillet-cli-mail), the update commands and the site check Qt Network and the
// zip writer (quillet-cli-updates). quillet-cli lists them by these names and summaries.
struct CommandInfo {
    const char* name;
    const char* summary;
};

inline constexpr CommandInfo kCaptureCommandInfo {
    "capture", "Load a page and record its form for a site, as \"Save form\" does."};
inline constexpr CommandInfo kFillCommandInfo {
    "fill", "Load a page, fill its form as \"Auto fill form\" does and print the controls as JSON."};
inline constexpr CommandInfo kComposeMailCommandInfo {
    "compose-mail", "Print the mail a site's e-mail submission would open in the mail window."};
inline constexpr CommandInfo kSendMailCommandInfo {
    "send-mail", "Send a mail over SMTP as the mail window does, logging it in QuilletMail.log."};
inline constexpr CommandInfo kCheckUpdatesCommandInfo {
    "check-updates", "Check the update server for a newer program and site list; merge a newer list."};
inline constexpr CommandInfo kCheckSitesCommandInfo {
    "check-sites", "Check which sites' addresses still answer; store and print each site's outcome."};
inline constexpr CommandInfo kPublishSitesCommandInfo {
    "publish-sites", "Write the sites and a manifest into a folder for an update server to serve."};

// The helper programs (see HelperCommandProxy::helperPath).
inline constexpr const char* kPageCommandProgram = "quillet-cli-page";
inline constexpr const char* kMailCommandProgram = "quillet-cli-mail";
inline constexpr const char* kUpdateCommandProgram = "quillet-cli-updates";
