#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// What the page's document holds at one moment: every form control of the
// top-level document (frames are not entered), in document order. Capture and
// fill read a snapshot and answer with a list of changes; the document adapter
// takes the snapshot and applies the changes.

struct FormOption {
    QString text; // the option's text as the document gives it
    bool selected = false;
};

struct FormControl {
    int position = -1; // index of the element among all elements of the document, in document order
    QString tag;       // upper-cased tag name: "INPUT", "TEXTAREA", "SELECT", ...
    QString type;      // the document's lower-case type: "text", "checkbox", "select-one", "textarea", ...
    QString name;      // the name attribute, unchanged; empty when absent
    QString value;     // the current value
    bool checked = false;
    QVector<FormOption> options; // select lists only
};

struct FormSnapshot {
    bool hasDocument = false;
    bool hasBody = false;
    QString documentToken; // identifies the document the snapshot was taken of
    QVector<FormControl> controls;
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
};

struct FormApplyResult {
    bool ok = false;              // false: the page could not be reached or raised an error
    bool documentChanged = false; // another document is shown than the one of the snapshot; nothing was applied
    int applied = 0;              // changes made to their controls (including those that found the value in place)
    int changed = 0;              // controls whose value really changed, and which were sent input and change events
    int skipped = 0;              // changes whose control is gone, was replaced or has other options now
    QString error;
};
