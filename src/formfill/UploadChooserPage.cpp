#include "UploadChooserPage.h"

#include "PageFormAdapter.h"

#include <QFileInfo>

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
    request.offeredFile = m_adapter ? m_adapter->offeredFileForChooser() : QString();
    // The file may have gone since the fill offered it.
    if (!request.offeredFile.isEmpty() && !QFileInfo(request.offeredFile).isFile())
        request.offeredFile.clear();
    request.mode = mode;
    request.oldFiles = oldFiles;
    request.acceptedMimeTypes = acceptedMimeTypes;
    return m_chooser(request);
}
