#include "SiteSearch.h"

#include "SiteCursor.h"
#include "SiteFields.h"

#include <QLocale>

void SiteSearch::restart(SiteCursor& cursor)
{
    m_searched = false;
    cursor.first();
}

bool SiteSearch::findNext(SiteCursor& cursor, const SiteFields& fields, const Request& request)
{
    const int step = request.down ? 1 : -1;
    int row = cursor.currentIndex();
    if (m_searched)
        row += step;
    m_searched = true;
    if (cursor.currentIndex() < 0 || request.text.isEmpty() || request.column < 0 || request.column >= fields.count())
        return false;

    const int cursorColumn = cursor.columnIndex(fields.at(request.column).name);
    const QLocale locale;
    const QString needle = request.matchCase ? request.text : locale.toUpper(request.text);
    // The rows are read by position; the cursor moves once, to the match, so
    // the windows that follow it are not redrawn for every row examined.
    for (; row >= 0 && row < cursor.count(); row += step) {
        const QString cell = fields.displayText(request.column, cursor.value(row, cursorColumn));
        if ((request.matchCase ? cell : locale.toUpper(cell)).contains(needle)) {
            cursor.moveTo(row);
            return true;
        }
    }
    return false;
}
