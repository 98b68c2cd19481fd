#pragma once

#include "FormSnapshot.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QVariant>
#include <QWebEnginePage>

#include <functional>

// Reads and writes the form controls of the page a QWebEnginePage shows. The
// work is done by scripts (page/*.js beside this file, compiled in as
// resources) run in the application's own script world, which the
// page's scripts can neither see nor tamper with. The top-level document is
// walked together with its open shadow roots and the frames of the same site
// inside it, at any depth; frames of other sites cannot be read and are only
// counted when they hold a form.
//
// Values are set through the engine's own accessors and announced with the
// events a user's typing or clicking sends, so that pages whose controls are
// driven by a script framework take them as the user's.
//
// Every operation answers asynchronously through a callback, on the thread of
// the page; the waiting variants run a local event loop until the answer is
// there, so windows keep repainting meanwhile. An answer that comes after the
// adapter is destroyed is dropped: its callback is never called.
class PageFormAdapter : public QObject {
    Q_OBJECT
public:
    struct SnapshotResult {
        bool ok = false;
        QString error; // why no snapshot could be taken
        FormSnapshot snapshot;
        bool documentChanged = false; // lateControls: the page shows another document than the fill's
        bool watching = false;        // lateControls: the watch for late fields goes on
    };
    // A control to mark in the page, with the text its tooltip shows.
    struct Mark {
        int position = -1;
        QString tag;
        QString name;
        QString label;
    };
    using SnapshotCallback = std::function<void(const SnapshotResult&)>;
    using ApplyCallback = std::function<void(const FormApplyResult&)>;

    static constexpr int DefaultTimeoutMs = 30000;

    // Installs, for the documents the page loads from now on, the small
    // watcher through which frames of other sites tell whether they hold a form.
    explicit PageFormAdapter(QWebEnginePage* page, QObject* parent = nullptr);

    QWebEnginePage* page() const { return m_page; }

    // Every candidate control (tag INPUT, TEXTAREA, CHECKBOX, RADIO or
    // SELECT) in document order, with its position among all elements walked.
    void takeSnapshot(SnapshotCallback callback);

    // Applies changes (positions from the snapshot identified by
    // documentToken) in their order. A control whose value really changes
    // gets the focus, its value with the input and change events a user's
    // typing or clicking would send (a check box, and a radio button that is
    // switched on, is clicked), and loses the focus again; the focus ends
    // where it was. With options.program set, the controls that fills and
    // pastes wrote for another program and that these changes leave alone
    // are emptied (FormApplyResult::clears). When the
    // page shows another document than that of the snapshot, nothing is applied
    // and the result says documentChanged. A preview shown with markControls is
    // removed first.
    void applyChanges(const QString& documentToken, const QVector<FormChange>& changes, ApplyCallback callback);
    void applyChanges(const QString& documentToken, const QVector<FormChange>& changes, const FormApplyOptions& options,
        ApplyCallback callback);

    // After a fill started with a late field window: the candidate controls
    // added to the page since the last call that were not filled yet, each
    // addressed by a position of its own for applyChanges with lateFields.
    // finish ends the watch. The result's snapshot holds only these controls.
    void takeLateControls(const QString& documentToken, bool finish, SnapshotCallback callback);

    // Outlines the controls and gives each the tooltip of its mark, until
    // clearMarks, the next fill or another document. Only the controls' style
    // and title attributes change, and they are put back as they were.
    void markControls(const QString& documentToken, const QVector<Mark>& marks, ApplyCallback callback);
    void clearMarks(ApplyCallback callback);

    SnapshotResult snapshot(int timeoutMs = DefaultTimeoutMs);
    FormApplyResult apply(
        const QString& documentToken, const QVector<FormChange>& changes, int timeoutMs = DefaultTimeoutMs);
    FormApplyResult apply(const QString& documentToken, const QVector<FormChange>& changes,
        const FormApplyOptions& options, int timeoutMs = DefaultTimeoutMs);

    // A value was pasted into the control that has the keyboard focus: the
    // page remembers it as written for program, as it remembers a fill's
    // values, so that a fill for another program empties it.
    void notePaste(const QString& program);

    // The file the last fill offered for the upload field the user has just
    // clicked, or empty when that field was offered none. Asks the page and
    // waits at most timeoutMs.
    QString offeredFileForChooser(int timeoutMs = 2000);

    // A click on an upload field is reported at once through the page's
    // console, marked with a key that only this adapter and its script world
    // know. True when message is such a report; offeredFile is then the file
    // offered for the clicked field, empty when none (or one that no fill of
    // this adapter offered).
    bool readUploadReport(const QString& message, QString* offeredFile) const;
    bool hasOfferedFiles() const;

    // The scripts and the reading of their answers, for tests and benchmarks.
    static QString snapshotScript();
    static QString applyScript(const QString& documentToken, const QVector<FormChange>& changes,
        const FormApplyOptions& options = FormApplyOptions());
    static QString frameWatcherScript();
    static SnapshotResult readSnapshot(const QVariant& answer);
    static FormApplyResult readApplyResult(const QVariant& answer);

private:
    void run(const QString& script, std::function<void(const QVariant&)> callback);
    QVariant runAndWait(const QString& script, int timeoutMs, bool* answered);
    FormApplyResult applyAndWait(const QString& script, int timeoutMs);

    FormApplyOptions withUploadKey(const FormApplyOptions& options);

    QPointer<QWebEnginePage> m_page;
    QString m_uploadKey;
    QSet<QString> m_offeredFiles;
};
