#include "DataSelectorRows.h"

#include "MessageTranslation.h"

DataSelectorRows::DataSelectorRows(const PropertyCatalogue& properties, QObject* parent)
    : QObject(parent)
    , m_properties(properties)
    , m_captions(RowCount)
    , m_values(RowCount)
{ }

void DataSelectorRows::fillCaptions()
{
    for (int row = 0; row < RowCount; ++row) {
        const QString& caption = m_properties[row].caption;
        // The captions are marked in the property catalogue.
        m_captions[row] = caption.isEmpty() ? QString() : translateMessage(caption); // lng-keys: indirect
    }
    Q_EMIT rowsChanged(0, RowCount - 1);
}

void DataSelectorRows::refreshData()
{
    loadProgramData();
    loadCompanyData();
}

void DataSelectorRows::loadProgramData()
{
    copyValues(PropertyCatalogue::FirstProgram, PropertyCatalogue::LastProgram);
}

void DataSelectorRows::loadCompanyData()
{
    copyValues(PropertyCatalogue::FirstCompany, PropertyCatalogue::LastCompany);
}

void DataSelectorRows::copyValues(int first, int last)
{
    for (int row = first; row <= last; ++row)
        m_values[row] = m_properties[row].getValue();
    Q_EMIT rowsChanged(first, last);
}

QString DataSelectorRows::caption(int row) const
{
    return row >= 0 && row < RowCount ? m_captions.at(row) : QString();
}

QString DataSelectorRows::value(int row) const
{
    return row >= 0 && row < RowCount ? m_values.at(row) : QString();
}

QString DataSelectorRows::englishCaption(int row) const
{
    return row >= 0 && row < RowCount ? m_properties[row].caption : QString();
}

int DataSelectorRows::rowOfCaption(const QString& caption) const
{
    const int shown = static_cast<int>(m_captions.indexOf(caption));
    if (shown >= 0)
        return shown;
    for (int row = 0; row < RowCount; ++row) {
        if (m_properties[row].caption == caption)
            return row;
    }
    return -1;
}

void DataSelectorRows::setValue(int row, const QString& value)
{
    if (row < 0 || row >= RowCount)
        return;
    m_values[row] = value;
    Q_EMIT rowsChanged(row, row);
}
