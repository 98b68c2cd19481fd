#pragma once

#include "SiteAccount.h"

#include <QString>

#include <functional>

class DataSelectorRows;
class PageFormAdapter;

// "Save form" and "Auto fill form" on the page a PageFormAdapter reads: take
// the page's snapshot, capture it or work out the fill, and apply the fill.
// The main window uses the asynchronous forms, quillet-cli the waiting ones.
//
// The text handed to done is the status bar's text: "Form saved" or
// "Form loaded", translated; it is empty when there is nothing to show (a
// fill without any form map, a page that was left while it was being filled)
// or when an error was shown through the message sink.
class FormFillCommands {
public:
    struct Context {
        QString programDirectory;               // ends in a separator
        const DataSelectorRows* rows = nullptr; // the data selector's rows, read as the command runs
        SiteAccount site;                       // the current site of the site selector
        QString programName;                    // the current program's name
    };
    using Done = std::function<void(const QString& status)>;

    static void saveForm(PageFormAdapter& adapter, const Context& context, Done done);
    static void autoFillForm(PageFormAdapter& adapter, const Context& context, Done done);

    // The same, waiting in a local event loop for the page.
    static QString saveFormAndWait(PageFormAdapter& adapter, const Context& context);
    static QString autoFillAndWait(PageFormAdapter& adapter, const Context& context);
};
