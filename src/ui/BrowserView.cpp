#include "BrowserView.h"

#include "UploadChooserPage.h"
#include "UploadFileDialog.h"

#include <QContextMenuEvent>
#include <QWebEngineSettings>

BrowserView::BrowserView(QWidget* parent)
    : QWebEngineView(parent)
{
    // Upload fields that a fill offered a file open the chooser with that file selected.
    auto* page = new UploadChooserPage(this);
    page->setChooser(
        [this](const UploadChooserPage::Request& request) { return UploadFileDialog::choose(this, request); });
    setPage(page);
    // A local page (a demo form, or one a hostile site list points at) must
    // not read the author's other files.
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
}

void BrowserView::contextMenuEvent(QContextMenuEvent* event)
{
    const int choice = m_choice ? m_choice() : 0;
    switch (choice) {
    case 0:
        QWebEngineView::contextMenuEvent(event);
        return;
    case 1:
        Q_EMIT powerPasteRequested(event->globalPos());
        break;
    case 2:
        Q_EMIT quickPasteRequested(event->globalPos());
        break;
    default:
        break;
    }
    event->accept();
}
