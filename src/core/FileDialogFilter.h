#pragma once

#include <QStringList>

// Qt's file dialog filters for a list of description|pattern pairs as the
// program's texts and language files write them
// ("Zip Files|*.Zip|Executable Files|*.Exe;*.com|All Files|*.*").
namespace FileDialogFilter {

// One filter per pair, "Description (patterns)": "*.*" becomes "*" (names
// need no point here); any other pattern is offered as written, in lower and
// in upper case, so that "*.Zip" finds "a.zip" and "A.ZIP" on a file system
// that tells letter cases apart. Patterns written at the end of a
// description ("Text files (*.txt)") are dropped from it, since Qt reads the
// patterns from there. A description without its pattern part is left out.
QStringList nameFilters(const QString& pairs);

// nameFilters joined with ";;", for QFileDialog's static functions.
QString filterString(const QString& pairs);

} // namespace FileDialogFilter
