#pragma once

#include "PropertyCatalogue.h"

#include <QObject>
#include <QString>
#include <QVector>

// The data selector's table: 47 rows, row r being catalogue entry r, with the
// translated caption in column 0 and a copy of the value in column 1. The
// copies are taken at loadProgramData / loadCompanyData only, so between
// refreshes the rows keep the values they last took. Form capture, auto-fill,
// the paste menus and mail templates read the rows, by caption or by row.
class DataSelectorRows : public QObject {
    Q_OBJECT
public:
    static constexpr int RowCount = PropertyCatalogue::Count;

    explicit DataSelectorRows(const PropertyCatalogue& properties, QObject* parent = nullptr);

    // Column 0 := the translated captions, in the language in force now.
    void fillCaptions();

    void refreshData();     // loadProgramData, then loadCompanyData
    void loadProgramData(); // rows 14 to 46
    void loadCompanyData(); // rows 0 to 12

    QString caption(int row) const;
    QString value(int row) const;
    // The catalogue's own (English) caption of row, whatever the language.
    QString englishCaption(int row) const;

    // The first row whose caption equals caption exactly; else the first row
    // whose English caption does, so that form maps and templates written in
    // English name the same rows in every language; else -1.
    int rowOfCaption(const QString& caption) const;

    // For tests and the editor: sets the value shown in row without touching the catalogue.
    void setValue(int row, const QString& value);

Q_SIGNALS:
    // Rows first to last (inclusive) changed.
    void rowsChanged(int first, int last);

private:
    void copyValues(int first, int last);

    const PropertyCatalogue& m_properties;
    QVector<QString> m_captions;
    QVector<QString> m_values;
};
