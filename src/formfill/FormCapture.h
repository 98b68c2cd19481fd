#pragma once

#include "FormSnapshot.h"
#include "SiteAccount.h"

#include <QString>

class DataSelectorRows;

// "Save form": records every control of a page in the current site's form map
// and decides, by comparing the control's value with the data selector's
// values and the site's account, which value the control takes. Values that
// match nothing go to the site values file of the current program and site.
class FormCapture {
public:
    // programDirectory ends in a separator; programName is the current
    // program's name (the catalogue's ProgramName entry).
    FormCapture(QString programDirectory, const DataSelectorRows& rows, SiteAccount site, QString programName);

    // The command. Returns "Form saved", translated, for the status bar; on an
    // error shows it through the message sink and returns an empty text.
    QString saveForm(const FormSnapshot& snapshot);

    // The same, raising QuilletError instead of showing it.
    void capture(const FormSnapshot& snapshot);

    // Whether capture records control: not hidden, a submit button or a
    // "BUTTON", and it has a name or an id.
    static bool records(const FormControl& control);
    // Whether the page holds a control that capture records.
    static bool hasForm(const FormSnapshot& snapshot);

    // Controls of the last capture that were recorded in the map, and those left
    // out because their key or value cannot be stored (control characters in
    // the map, a "]" or line break in a values file section name).
    int recordedCount() const { return m_recorded; }
    int unstorableCount() const { return m_unstorable; }

private:
    QString m_programDirectory;
    const DataSelectorRows& m_rows;
    SiteAccount m_site;
    QString m_programName;
    int m_recorded = 0;
    int m_unstorable = 0;
};
