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
        m_captions[row] = caption.isEmpty() ? QString() : translateMessage(caption);
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

int DataSelectorRows::rowOfCaption(const QString& caption) const
{
    return static_cast<int>(m_captions.indexOf(caption));
}

void DataSelectorRows::setValue(int row, const QString& value)
{
    if (row < 0 || row >= RowCount)
        return;
    m_values[row] = value;
    Q_EMIT rowsChanged(row, row);
}
