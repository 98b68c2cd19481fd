#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// What the page's document holds at one moment: every form control of the
// top-level document, of the open shadow roots inside it and of the frames of
// the same site inside it (at any depth), in document order: a shadow root's
// and a frame's controls come right after their host or frame element. Capture
// and fill read a snapshot and answer with a list of changes; the document
// adapter takes the snapshot and applies the changes.

struct FormOption {
    QString text; // the option's text as the document gives it
    bool selected = false;
};

struct FormControl {
    int position = -1; // address of the element: its index in document order among all elements walked
    QString tag;       // upper-cased tag name: "INPUT", "TEXTAREA", "SELECT", ...; a rich-text editor's own ("DIV")
    QString type;      // the document's lower-case type: "text", "checkbox", "select-one", "textarea", ...; "richtext"
    // A rich-text editor (an editing host) is a control too: its name is that
    // of the hidden input it keeps in step, its value its plain text, one line
    // per paragraph.
    QString name;  // the name attribute, unchanged; empty when absent
    QString value; // the current value
    bool checked = false;
    QVector<FormOption> options; // select lists only
    QStringList files = {};      // file upload fields only: the names of the chosen files
    QString id = {};             // the id attribute; keys a control that has no name
};

struct FormSnapshot {
    bool hasDocument = false;
    bool hasBody = false;
    QString documentToken; // identifies the document the snapshot was taken of
    QVector<FormControl> controls;
    int unreadFrames = 0; // frames of other sites that hold a form: they cannot be read and were left out
};

// One change to one control, addressed by the position it had in the snapshot.
// tag and name repeat what the snapshot said, so that a control the page has
// replaced in the meantime is left alone.
struct FormChange {
    enum class Kind { Value, Checked, Selection };

    int position = -1;
    QString tag;
    QString name;
    Kind kind = Kind::Value;
    QString value;           // Kind::Value
    bool checked = false;    // Kind::Checked
    QVector<bool> selected;  // Kind::Selection: the wanted state of every option
    QStringList optionTexts; // Kind::Selection: the option texts the wanted state was worked out for
    QString dataField;       // the map's DataField for the control (empty: the value came from the site values file)
    // Kind::Selection: the value's non-empty fields. A list whose options have
    // changed since is matched against them again, and one that holds none of
    // them is chosen when its options change while the fill watches the page.
    QStringList fields = {};
};

// A file upload field and the file the fill offers for it. Nothing is put into
// the field: the file is pre-selected in the file chooser when the user clicks it.
struct FileOffer {
    int position = -1;
    QString tag;
    QString name;
    QString path;      // absolute path of an existing file
    QString dataField; // the map's DataField that named the file
};

// How the adapter applies a list of changes.
struct FormApplyOptions {
    bool dryRun = false;       // work out what the changes would do; the page stays as it was
    bool lateFields = false;   // the changes address controls that lateControls() reported
    int lateFieldWindowMs = 0; // > 0: watch for controls added after this fill for so long
    QVector<FileOffer> offers; // upload fields and the files they are offered
    QString uploadReportKey;   // set by the adapter: marks its reports of clicks on upload fields
    // The program the fill is for. The page remembers which controls were
    // written for which program; a fill for another program empties those
    // it leaves alone otherwise.
    QString program;
};

// A control that a fill or paste wrote for another program and that the fill
// empties (or, in a dry run, would empty).
struct FormClear {
    int position = -1; // in the snapshot; -1 for a control added after it
    QString program;   // the program it was written for
};

// The state a control takes (or, in a dry run, would take) through a fill.
struct FormOutcome {
    int position = -1;
    QString value;          // the control's value afterwards (for a select list: its first selected option's)
    bool checked = false;   // check boxes and radio buttons
    QVector<bool> selected; // select lists: every option
};

struct FormApplyResult {
    bool ok = false;               // false: the page could not be reached or raised an error
    bool documentChanged = false;  // another document is shown than the one of the snapshot; nothing was applied
    int applied = 0;               // changes made to their controls (including those that found the value in place)
    int changed = 0;               // controls whose value really changed, and which were sent input and change events
    int skipped = 0;               // changes whose control is gone, was replaced or has other options now
    int userEdited = 0;            // late fields left alone because the user edited them since the fill
    int offered = 0;               // upload fields that were offered their file
    int cleared = 0;               // controls emptied because they held another program's value (in changed too)
    QVector<FormClear> clears;     // those controls, in the order the page remembered them
    QVector<FormOutcome> outcomes; // dry runs: every control whose state would change, in document order
    QString error;
};
