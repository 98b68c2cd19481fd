#pragma once

#include "SiteFields.h"

#include <QMap>
#include <QString>
#include <QVariant>

class SubmissionDatabase;

// Writes single rows of the Sites table for the site editor: changes one
// row, adds one or deletes one. Each call is one transaction with every value
// bound as a parameter; a call that raises has changed no row.
//
// Typed texts are parsed by SiteFields (booleans "True"/"False", Rating
// digits only, texts within their length). A row's SiteName must not be
// empty (nor blanks only) and must differ from every other row's; names are
// compared exactly, as the table's key compares them.
//
// Nothing but the one Sites row is touched: a site's flag rows in ProgSite,
// its form map and its values files stay as they are, also when the site is
// deleted or renamed.
class SiteRowWriter {
public:
    // The texts of a row by column (SiteFields order): only the columns given.
    using Texts = QMap<int, QString>;

    // Reads the table's columns; raises QuilletError when Sites is not open.
    explicit SiteRowWriter(SubmissionDatabase& dm);

    const SiteFields& fields() const { return m_fields; }

    // Sets the given columns of the row whose SiteName is siteName (as stored,
    // null included). Raises QuilletError with a message for the user when a
    // text does not parse, the new name is empty or taken, the row is no
    // longer there, or the engine refuses the write.
    void update(const QVariant& siteName, const Texts& texts);

    // Adds a row with the given columns (the others take their defaults) and
    // returns its name. Raises as update() does; a row without a name is refused.
    QString insert(const Texts& texts);

    // Deletes the row whose SiteName is siteName. Raises QuilletError when it
    // is no longer there or the engine refuses.
    void remove(const QVariant& siteName);

private:
    QVariantMap parseAll(const Texts& texts) const;
    void checkName(const QVariant& name, const QVariant& previous) const;

    SubmissionDatabase& m_dm;
    SiteFields m_fields;
};
