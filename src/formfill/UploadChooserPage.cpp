#include "UploadChooserPage.h"

#include "PageFormAdapter.h"

#include <QFileInfo>

namespace {

constexpr int kReportLifetimeMs = 5000;
constexpr int kAskTimeoutMs = 500;

} // namespace

UploadChooserPage::UploadChooserPage(QObject* parent)
    : QWebEnginePage(parent)
{ }

UploadChooserPage::UploadChooserPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent)
{ }

QStringList UploadChooserPage::chooseFiles(
    FileSelectionMode mode, const QStringList& oldFiles, const QStringList& acceptedMimeTypes)
{
    if (!m_chooser)
        return QWebEnginePage::chooseFiles(mode, oldFiles, acceptedMimeTypes);
    Request request;
    if (m_reportedAt.isValid() && m_reportedAt.elapsed() < kReportLifetimeMs) {
        request.offeredFile = m_reportedFile;
    } else if (m_adapter && m_adapter->hasOfferedFiles()) {
        // No report came: ask the page, briefly, since the user waits for the chooser.
        request.offeredFile = m_adapter->offeredFileForChooser(kAskTimeoutMs);
    }
    m_reportedAt.invalidate();
    // The file may have gone since the fill offered it.
    if (!request.offeredFile.isEmpty() && !QFileInfo(request.offeredFile).isFile())
        request.offeredFile.clear();
    request.mode = mode;
    request.oldFiles = oldFiles;
    request.acceptedMimeTypes = acceptedMimeTypes;
    return m_chooser(request);
}

void UploadChooserPage::javaScriptConsoleMessage(
    JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber, const QString& sourceId)
{
    QString offered;
    if (m_adapter && m_adapter->readUploadReport(message, &offered)) {
        m_reportedFile = offered;
        m_reportedAt.start();
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceId);
}

bool UploadChooserPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (type == NavigationTypeFormSubmitted && isMainFrame)
        Q_EMIT formSubmitted(url);
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}
