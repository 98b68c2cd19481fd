#include "UploadField.h"

#include "DataSelectorRows.h"
#include "PropertyCatalogue.h"

#include <QFileInfo>

bool UploadField::isUpload(const FormControl& control)
{
    return control.tag == QLatin1String("INPUT") && control.type == QLatin1String("file");
}

QString UploadField::fileNameOf(const QString& path)
{
    const qsizetype separator = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(separator + 1);
}

QString UploadField::dataFieldOfChosenFile(const FormControl& control, const DataSelectorRows& rows)
{
    if (!isUpload(control) || control.files.size() != 1)
        return QString();
    const QString programFile = fileNameOf(rows.value(PropertyCatalogue::FileName));
    if (programFile.isEmpty() || control.files.first() != programFile)
        return QString();
    return rows.caption(PropertyCatalogue::FileName);
}

QString UploadField::offeredPath(const QString& value)
{
    const QFileInfo file(value);
    if (value.isEmpty() || !file.isAbsolute() || !file.isFile())
        return QString();
    return file.absoluteFilePath();
}
