#pragma once

#include "SiteAccount.h"

#include <QString>

class DataSelectorRows;

// The names under which form maps know values: the captions of the data
// selector's rows, in English or as it shows them in the language in force,
// and "Username" and "Password" for the current site's account. Comparisons are exact and case-sensitive; a
// multi-line value is compared with its line breaks normalised (MemoText).
class DataFieldLookup {
public:
    DataFieldLookup(const DataSelectorRows& rows, const SiteAccount& account);

    // The name under which value is known: empty for an empty value; "Username"
    // or "Password" when value is the site's user name or password (they win
    // over every row, compared exactly); else the English caption of the first
    // row, from the top, whose non-empty value is the same text as value
    // (MemoText::sameText), so that a form map serves in every language; else
    // empty.
    QString findDataField(const QString& value) const;

    // The value that dataField names: the site's user name or password for
    // "Username" and "Password"; else the value of the row whose caption, as
    // shown or in English, equals dataField (DataSelectorRows::rowOfCaption);
    // else (and for an empty dataField) empty.
    QString getDataFieldValue(const QString& dataField) const;

    static QString usernameField() { return QStringLiteral("Username"); }
    static QString passwordField() { return QStringLiteral("Password"); }

private:
    const DataSelectorRows& m_rows;
    SiteAccount m_account;
};
