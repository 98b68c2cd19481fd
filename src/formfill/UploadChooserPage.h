#pragma once

#include "PageFormAdapter.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QWebEnginePage>

#include <functional>

// A web page whose file chooser starts from the file that the last auto fill
// offered for the upload field the user clicked. The file is only
// pre-selected: the user confirms it, or picks another, in the chooser, and
// nothing reaches the field without that.
class UploadChooserPage : public QWebEnginePage {
    Q_OBJECT
public:
    struct Request {
        QString offeredFile; // absolute path of an existing file; empty when the field was offered none
        FileSelectionMode mode = FileSelectionMode::FileSelectOpen;
        QStringList oldFiles;
        QStringList acceptedMimeTypes;
    };
    // Shows the chooser, with request.offeredFile pre-selected when there is
    // one, and returns the files the user chose; empty when cancelled.
    using Chooser = std::function<QStringList(const Request&)>;

    explicit UploadChooserPage(QObject* parent = nullptr);
    UploadChooserPage(QWebEngineProfile* profile, QObject* parent = nullptr);

    // The adapter whose fills offer files. A PageFormAdapter made for this
    // page sets itself.
    void setOfferSource(PageFormAdapter* adapter) { m_adapter = adapter; }
    // Without a chooser the engine's own file dialog opens, without pre-selection.
    void setChooser(Chooser chooser) { m_chooser = std::move(chooser); }

Q_SIGNALS:
    // The page's own document is about to post a form (a form submission
    // navigation of the main frame); the load that follows shows the answer.
    void formSubmitted(const QUrl& url);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QStringList chooseFiles(
        FileSelectionMode mode, const QStringList& oldFiles, const QStringList& acceptedMimeTypes) override;
    void javaScriptConsoleMessage(
        JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber, const QString& sourceId) override;

private:
    QPointer<PageFormAdapter> m_adapter;
    Chooser m_chooser;
    // The adapter's report of the upload field just clicked, which comes before the chooser opens.
    QString m_reportedFile;
    QElapsedTimer m_reportedAt;
};
