#pragma once

#include "FormSnapshot.h"

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QWebEnginePage>

#include <functional>

// Reads and writes the form controls of the page a QWebEnginePage shows. The
// work is done by scripts run in the application's own script world, which the
// page's scripts can neither see nor tamper with; only the top-level document
// is walked, frames are not entered.
//
// Both operations answer asynchronously through a callback, on the thread of
// the page; the waiting variants run a local event loop until the answer is
// there, so windows keep repainting meanwhile.
class PageFormAdapter : public QObject {
    Q_OBJECT
public:
    struct SnapshotResult {
        bool ok = false;
        QString error; // why no snapshot could be taken
        FormSnapshot snapshot;
    };
    using SnapshotCallback = std::function<void(const SnapshotResult&)>;
    using ApplyCallback = std::function<void(const FormApplyResult&)>;

    static constexpr int DefaultTimeoutMs = 30000;

    explicit PageFormAdapter(QWebEnginePage* page, QObject* parent = nullptr);

    QWebEnginePage* page() const { return m_page; }

    // Every candidate control of the document (tag INPUT, TEXTAREA, CHECKBOX,
    // RADIO or SELECT) in document order, with its position among all elements.
    void takeSnapshot(SnapshotCallback callback);

    // Applies changes (positions from the snapshot identified by
    // documentToken) in their order. A control whose value really changes is
    // sent the input and change events a user's typing or clicking would send.
    // When the page shows another document than that of the snapshot, nothing
    // is applied and the result says documentChanged.
    void applyChanges(const QString& documentToken, const QVector<FormChange>& changes, ApplyCallback callback);

    SnapshotResult snapshot(int timeoutMs = DefaultTimeoutMs);
    FormApplyResult apply(
        const QString& documentToken, const QVector<FormChange>& changes, int timeoutMs = DefaultTimeoutMs);

    // The scripts and the reading of their answers, for tests and benchmarks.
    static QString snapshotScript();
    static QString applyScript(const QString& documentToken, const QVector<FormChange>& changes);
    static SnapshotResult readSnapshot(const QVariant& answer);
    static FormApplyResult readApplyResult(const QVariant& answer);

private:
    void run(const QString& script, std::function<void(const QVariant&)> callback);
    QVariant runAndWait(const QString& script, int timeoutMs, bool* answered);

    QPointer<QWebEnginePage> m_page;
};
