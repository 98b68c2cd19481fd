#pragma once

#include "SiteRowWriter.h"
#include "SiteSearch.h"

#include <QObject>
#include <QString>
#include <QVariant>

class SiteCursor;
class SubmissionDatabase;

// The site editor below its window: the rows of the data module's site
// cursor (the site filter in force) as a grid, one column per Sites field,
// with one row at a time being edited or inserted, and the commands of a
// record navigator and of the find dialog.
//
// The editor works on the same cursor as the site selector: moving here moves
// the current site. Typed texts stay in the editor until post(); a post the
// table refuses (empty or taken SiteName, a Rating that is no number, a
// failing write) is reported through the message sink, keeps every typed text
// and changes no row. Every command that leaves the row (moving, inserting,
// refreshing, finding, closing) posts first and stops when the post is refused.
class SiteEditState : public QObject {
    Q_OBJECT
public:
    enum class Mode { Browse, Edit, Insert };

    // Raises QuilletError when the Sites table is not open.
    explicit SiteEditState(SubmissionDatabase& dm, QObject* parent = nullptr);

    const SiteFields& fields() const { return m_writer.fields(); }
    Mode mode() const { return m_mode; }
    // Some typed text waits for post().
    bool isModified() const { return !m_texts.isEmpty(); }

    // The grid's rows: the cursor's rows, and while inserting the new row,
    // which stands at insertRow() and pushes the rows from there down by one.
    int rowCount() const;
    int insertRow() const { return m_mode == Mode::Insert ? m_insertRow : -1; }
    // The row the editor stands on (the new row while inserting); -1 when there is none.
    int currentRow() const;
    // The cursor row shown in a grid row; -1 for the new row.
    int cursorRow(int row) const;

    // The text a cell shows: what was typed into it, or its stored value
    // (the default for a cell of the new row).
    QString text(int row, int column) const;
    // The cell holds typed text that waits for post().
    bool isTyped(int row, int column) const;

    // Moves to a grid row (clamped); false when a pending post was refused.
    bool moveTo(int row);
    bool first();
    bool prior();
    bool next();
    bool last();

    // Starts editing the current row without changing it (with no row, inserts).
    void edit();
    // Posts, then starts a new row above the current one.
    bool insert();
    // Types text into a cell of the current row (moving there first), starting
    // an edit when browsing. Typing a cell's own text back is no change.
    bool setText(int row, int column, const QString& text);
    // Writes the typed texts. True when nothing is pending afterwards.
    bool post();
    // Drops the typed texts (and the new row).
    void cancel();
    // Asks, then deletes the current row; a new row is just dropped.
    bool remove();
    // Posts, then reads the rows again.
    bool refresh();
    // Before the window closes: with typed texts pending asks whether to post
    // them. True when the window may close.
    bool finish();

    // "&Find": posts, clears the searched mark and moves to the first row.
    bool startFind();
    // The find dialog's button: posts, then searches; shows "No matches found"
    // when nothing matches. True on a match.
    bool findNext(const SiteSearch::Request& request);

Q_SIGNALS:
    // The rows, their number or the place of the new row changed.
    void rowsReset();
    // The texts of one grid row changed.
    void rowChanged(int row);
    // The editor stands on another grid row.
    void currentChanged(int row);
    void modeChanged(SiteEditState::Mode mode);

private:
    void setMode(Mode mode);
    void cursorMoved(int index);
    QString storedText(int row, int column) const;

    SiteCursor& m_cursor;
    SiteRowWriter m_writer;
    SiteSearch m_search;
    Mode m_mode = Mode::Browse;
    int m_insertRow = -1;
    QVariant m_editKey; // SiteName of the row being edited, as stored
    SiteRowWriter::Texts m_texts;
};
