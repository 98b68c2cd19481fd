#pragma once

#include <QString>

class SiteCursor;
class SiteFields;

// Finding a site by the text of one column, as the site editor's find
// dialog does: one column only, the cell's shown text ("True"/"False" for
// booleans) compared as upper case unless the case must match, the text
// found anywhere in the cell.
//
// The first search after restart() begins at the current row; every later
// one begins one row on in its direction, so a match is not found twice in a
// row. A search that finds nothing leaves the cursor where it was.
class SiteSearch {
public:
    struct Request {
        int column = 0; // SiteFields column
        QString text;
        bool matchCase = false;
        bool down = true;
    };

    // Clears the searched mark and moves the cursor to the first row.
    void restart(SiteCursor& cursor);

    // Runs one search. On a match the cursor stands on it and true is
    // returned; otherwise the cursor has not moved. Either way the next
    // search begins one row on. An empty text matches nothing.
    bool findNext(SiteCursor& cursor, const SiteFields& fields, const Request& request);

    bool searched() const { return m_searched; }

private:
    bool m_searched = false;
};
