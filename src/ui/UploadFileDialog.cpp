#include "UploadFileDialog.h"

#include "MessageTranslation.h"

#include <QFileDialog>
#include <QFileInfo>

QStringList UploadFileDialog::choose(QWidget* parent, const UploadChooserPage::Request& request)
{
    QFileDialog dialog(parent, translateMessage(QStringLiteral("Choose the file to upload")));
    dialog.setObjectName(QStringLiteral("UploadFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    switch (request.mode) {
    case QWebEnginePage::FileSelectOpenMultiple:
        dialog.setFileMode(QFileDialog::ExistingFiles);
        break;
    case QWebEnginePage::FileSelectUploadFolder:
        dialog.setFileMode(QFileDialog::Directory);
        break;
    default:
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    }
    if (!request.offeredFile.isEmpty()) {
        const QFileInfo offered(request.offeredFile);
        dialog.setDirectory(offered.absolutePath());
        dialog.selectFile(offered.fileName());
    } else if (!request.oldFiles.isEmpty()) {
        dialog.setDirectory(QFileInfo(request.oldFiles.first()).absolutePath());
    }
    if (dialog.exec() != QDialog::Accepted)
        return QStringList();
    return dialog.selectedFiles();
}
