#pragma once

#include "FormSnapshot.h"
#include "SiteAccount.h"

#include <QString>
#include <QVector>

class DataSelectorRows;

// "Auto fill form": works out, from the current site's form map (or the
// general form map), the data selector's values, the site's account and the
// site values file, which value every known control of a page takes.
class FormAutoFill {
public:
    struct Plan {
        bool haveMap = false;          // false: neither the site nor the general form map exists
        QString mapPath;               // the map used
        QVector<FormChange> changes;   // in document order
        QVector<FileOffer> fileOffers; // upload fields whose value names a file, in document order
    };

    // programDirectory ends in a separator; programName is the current program's name.
    FormAutoFill(QString programDirectory, const DataSelectorRows& rows, SiteAccount site, QString programName);

    // The changes that fill snapshot. A text control is handed its value
    // without the final line break of a multi-line value (MemoText::forPage).
    // An upload field gets no change: when its value names an existing file
    // (by absolute path) the plan offers it that file. Raises QuilletError
    // naming the map when it cannot be read. Writes nothing.
    Plan plan(const FormSnapshot& snapshot) const;

    // The wanted selection of a select list's options for value: the options
    // whose trimmed text equals one of value's ";"-separated fields, the last
    // of them only when the list takes a single choice.
    static QVector<bool> selection(const FormControl& control, const QString& value);

    // The non-empty fields of value (field splitting at ";").
    static QStringList fieldsOf(const QString& value);

    // True for the types filled by setting their text: "text", "password",
    // "textarea", the other text entry types of input elements, and
    // "richtext" (a rich-text editor).
    static bool takesText(const QString& upperType);

private:
    QString m_programDirectory;
    const DataSelectorRows& m_rows;
    SiteAccount m_site;
    QString m_programName;
};
