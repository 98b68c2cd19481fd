#include "DataFieldLookup.h"

#include "DataSelectorRows.h"
#include "MemoText.h"

DataFieldLookup::DataFieldLookup(const DataSelectorRows& rows, const SiteAccount& account)
    : m_rows(rows)
    , m_account(account)
{ }

QString DataFieldLookup::findDataField(const QString& value) const
{
    if (value.isEmpty())
        return QString();
    if (value == m_account.userName)
        return usernameField();
    if (value == m_account.password)
        return passwordField();
    for (int row = 0; row < DataSelectorRows::RowCount; ++row) {
        const QString rowValue = m_rows.value(row);
        if (!rowValue.isEmpty() && MemoText::sameText(value, rowValue))
            return m_rows.englishCaption(row);
    }
    return QString();
}

QString DataFieldLookup::getDataFieldValue(const QString& dataField) const
{
    if (dataField.isEmpty())
        return QString();
    if (dataField == usernameField())
        return m_account.userName;
    if (dataField == passwordField())
        return m_account.password;
    return m_rows.value(m_rows.rowOfCaption(dataField));
}
