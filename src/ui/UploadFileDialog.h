#pragma once

#include "UploadChooserPage.h"

#include <QStringList>

class QWidget;

// The file chooser of the page's upload fields: a file dialog that opens in
// the folder of the offered file with that file selected, so that "Open"
// puts it into the field; without an offered file it opens where the field's
// earlier choice was.
class UploadFileDialog {
public:
    // The files the user chose; empty when the dialog was cancelled.
    static QStringList choose(QWidget* parent, const UploadChooserPage::Request& request);
};
