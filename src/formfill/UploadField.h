#pragma once

#include "FormSnapshot.h"

#include <QString>

class DataSelectorRows;

// File upload fields (input elements of type "file"). Capture maps a field in
// which the user chose the program's distribution file to the "File name"
// entry; the fill never puts a file into a field, it offers the file that the
// field's value names when the user clicks the field.
class UploadField {
public:
    static bool isUpload(const FormControl& control);

    // The caption of the "File name" row, as the data selector shows it, when
    // the one file chosen in control has the name of the file that row names
    // (a Windows path's name counts too); else empty.
    static QString dataFieldOfChosenFile(const FormControl& control, const DataSelectorRows& rows);

    // The file value names, when it names one that can be offered: an
    // absolute path of an existing file; else empty.
    static QString offeredPath(const QString& value);

    // The name part of a path with "/" or "\" separators.
    static QString fileNameOf(const QString& path);
};
