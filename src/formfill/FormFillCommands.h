#pragma once

#include "FormFillContext.h"
#include "FormSnapshot.h"

#include <QString>
#include <QVector>

#include <functional>

class PageFormAdapter;

// "Save form", "Auto fill form" and its preview on the page a PageFormAdapter
// reads: take the page's snapshot, capture it or work out the fill, and apply
// the fill. The main window uses the asynchronous forms, quillet-cli the
// waiting ones.
//
// The outcome's status is the status bar's text: "Form saved" or "Form
// loaded", translated (a capture of a page without a form says so instead
// and writes nothing); it is empty when there is nothing to show (a fill
// without any form map, a page that was left while it was being filled) or
// when an error was shown through the message sink.
class FormFillCommands {
public:
    using Context = FormFillContext;

    struct Outcome {
        QString status;
        int unreadFrames = 0; // frames of other sites holding a form that could not be read
        int changed = 0;      // fill: controls whose value changed; preview: controls whose value would change
        int marked = 0;       // preview with marks: controls outlined in the page
        // preview: every control the fill would change, in document order, as the fill would leave it
        QVector<FormControl> preview;
        // controls emptied (or, in a preview, to be emptied) because a fill
        // or paste for another program wrote them
        QVector<FormClear> clears;

        // The status, after a fill the notes on the fields emptied for
        // another program, and when frames were left out the note that says
        // so: what the status bar shows.
        QString statusLine() const;
    };
    using Done = std::function<void(const Outcome&)>;

    enum class Command {
        SaveForm,
        AutoFill,
        Preview,          // works out the fill and leaves the page as it was
        PreviewWithMarks, // the same, and outlines in the page each control the fill sets
    };

    // Runs command; done is called once, on the page's thread.
    static void run(Command command, PageFormAdapter& adapter, const Context& context, Done done);
    // The same, waiting in a local event loop for the page.
    static Outcome runAndWait(Command command, PageFormAdapter& adapter, const Context& context);

    // "Save form". Controls of frames of the same site and of open shadow roots
    // are recorded in document order with those of the page.
    static void saveForm(PageFormAdapter& adapter, const Context& context, Done done);
    // "Auto fill form". With a late field window in context, the controls the
    // page adds after the fill are filled for so long (LateFieldWatch).
    static void autoFillForm(PageFormAdapter& adapter, const Context& context, Done done);

    // The status texts only.
    static QString saveFormAndWait(PageFormAdapter& adapter, const Context& context);
    static QString autoFillAndWait(PageFormAdapter& adapter, const Context& context);

    // "2 fields written for NoteNest were cleared", one note per program.
    static QStringList clearedNotes(const QVector<FormClear>& clears);

    // The note for n frames of other sites that were not read; empty for none.
    static QString unreadFramesNote(int n);
};
