#include "SiteEditState.h"

#include "MessageSink.h"
#include "MessageTranslation.h"
#include "QuilletError.h"
#include "SiteCursor.h"
#include "SubmissionDatabase.h"

SiteEditState::SiteEditState(SubmissionDatabase& dm, QObject* parent)
    : QObject(parent)
    , m_cursor(dm.sites())
    , m_writer(dm)
{
    connect(&m_cursor, &SiteCursor::rowsReset, this, [this] {
        if (m_mode == Mode::Insert)
            m_insertRow = std::clamp(m_insertRow, 0, m_cursor.count());
        Q_EMIT rowsReset();
    });
    connect(&m_cursor, &SiteCursor::currentChanged, this, &SiteEditState::cursorMoved);
    connect(&m_cursor, &SiteCursor::rowChanged, this, [this](int index) {
        if (m_mode != Mode::Insert)
            Q_EMIT rowChanged(index);
        else
            Q_EMIT rowChanged(index >= m_insertRow ? index + 1 : index);
    });
}

void SiteEditState::cursorMoved(int index)
{
    // While a new row is being typed the editor stands on it, wherever the cursor is.
    if (m_mode != Mode::Insert)
        Q_EMIT currentChanged(index);
}

void SiteEditState::setMode(Mode mode)
{
    if (m_mode == mode)
        return;
    m_mode = mode;
    Q_EMIT modeChanged(mode);
}

int SiteEditState::rowCount() const
{
    return m_cursor.count() + (m_mode == Mode::Insert ? 1 : 0);
}

int SiteEditState::currentRow() const
{
    return m_mode == Mode::Insert ? m_insertRow : m_cursor.currentIndex();
}

int SiteEditState::cursorRow(int row) const
{
    if (row < 0 || row >= rowCount())
        return -1;
    if (m_mode != Mode::Insert || row < m_insertRow)
        return row;
    return row == m_insertRow ? -1 : row - 1;
}

QString SiteEditState::storedText(int row, int column) const
{
    if (column < 0 || column >= fields().count())
        return QString();
    if (m_mode == Mode::Insert && row == m_insertRow)
        return fields().displayText(column, fields().at(column).defaultValue);
    const int index = cursorRow(row);
    if (index < 0)
        return QString();
    return fields().displayText(column, m_cursor.value(index, m_cursor.columnIndex(fields().at(column).name)));
}

bool SiteEditState::isTyped(int row, int column) const
{
    return m_mode != Mode::Browse && row == currentRow() && m_texts.contains(column);
}

QString SiteEditState::text(int row, int column) const
{
    if (isTyped(row, column))
        return m_texts.value(column);
    return storedText(row, column);
}

bool SiteEditState::moveTo(int row)
{
    const int count = rowCount();
    if (count == 0)
        return true;
    row = std::clamp(row, 0, count - 1);
    if (row == currentRow())
        return true;
    if (m_mode == Mode::Browse) {
        m_cursor.moveTo(cursorRow(row));
        return true;
    }
    // Posting may sort the rows anew: the target is found again by its name.
    const int target = cursorRow(row);
    const QVariant targetName
        = target >= 0 ? m_cursor.value(target, m_cursor.columnIndex(QStringLiteral("SiteName"))) : QVariant();
    if (!post())
        return false;
    if (target >= 0 && !targetName.isNull() && m_cursor.locate(targetName.toString()))
        return true;
    m_cursor.moveTo(std::min(row, m_cursor.count() - 1));
    return true;
}

bool SiteEditState::first()
{
    return moveTo(0);
}

bool SiteEditState::prior()
{
    return moveTo(currentRow() - 1);
}

bool SiteEditState::next()
{
    return moveTo(currentRow() + 1);
}

bool SiteEditState::last()
{
    return moveTo(rowCount() - 1);
}

void SiteEditState::edit()
{
    if (m_mode != Mode::Browse)
        return;
    if (m_cursor.currentIndex() < 0) {
        insert();
        return;
    }
    m_editKey = m_cursor.field(QStringLiteral("SiteName"));
    setMode(Mode::Edit);
}

bool SiteEditState::insert()
{
    if (!post())
        return false;
    m_texts.clear();
    m_insertRow = std::max(0, m_cursor.currentIndex());
    setMode(Mode::Insert);
    Q_EMIT rowsReset();
    Q_EMIT currentChanged(m_insertRow);
    return true;
}

bool SiteEditState::setText(int row, int column, const QString& text)
{
    if (column < 0 || column >= fields().count())
        return false;
    if (row != currentRow() && !moveTo(row))
        return false;
    if (currentRow() < 0 && !insert())
        return false;
    const int here = currentRow();
    const QString stored = storedText(here, column);
    if (m_mode == Mode::Browse) {
        if (text == stored)
            return true;
        edit();
    }
    if (text == stored)
        m_texts.remove(column);
    else
        m_texts.insert(column, text);
    Q_EMIT rowChanged(here);
    return true;
}

bool SiteEditState::post()
{
    if (m_mode == Mode::Browse)
        return true;
    if (m_texts.isEmpty()) {
        cancel();
        return true;
    }
    const int nameColumn = fields().siteNameColumn();
    QString name;
    try {
        if (m_mode == Mode::Edit) {
            m_writer.update(m_editKey, m_texts);
            name = m_texts.contains(nameColumn) ? m_texts.value(nameColumn) : m_editKey.toString();
        } else {
            name = m_writer.insert(m_texts);
        }
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return false;
    }
    m_texts.clear();
    m_editKey = QVariant();
    m_insertRow = -1;
    setMode(Mode::Browse);
    // The site selector follows at once: the rows are read again and the
    // cursor stands on the row just written (unless it left the filter).
    m_cursor.refresh();
    m_cursor.locate(name);
    return true;
}

void SiteEditState::cancel()
{
    if (m_mode == Mode::Browse)
        return;
    const bool wasInsert = m_mode == Mode::Insert;
    const int row = currentRow();
    m_texts.clear();
    m_editKey = QVariant();
    m_insertRow = -1;
    setMode(Mode::Browse);
    if (wasInsert) {
        Q_EMIT rowsReset();
        Q_EMIT currentChanged(currentRow());
    } else {
        Q_EMIT rowChanged(row);
    }
}

bool SiteEditState::remove()
{
    if (m_mode == Mode::Insert) {
        cancel();
        return true;
    }
    if (m_cursor.currentIndex() < 0)
        return false;
    const QVariant key = m_mode == Mode::Edit ? m_editKey : m_cursor.field(QStringLiteral("SiteName"));
    const QString question = translateMessage(QStringLiteral("Delete the site \"%1\"?")).arg(key.toString());
    if (!MessageSink::current().askYesNo(question))
        return false;
    try {
        m_writer.remove(key);
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return false;
    }
    m_texts.clear();
    m_editKey = QVariant();
    setMode(Mode::Browse);
    m_cursor.refresh();
    return true;
}

bool SiteEditState::refresh()
{
    if (!post())
        return false;
    m_cursor.refresh();
    return true;
}

bool SiteEditState::finish()
{
    if (m_mode == Mode::Browse)
        return true;
    if (!isModified()) {
        cancel();
        return true;
    }
    const int nameColumn = fields().siteNameColumn();
    QString name = m_texts.value(nameColumn, m_editKey.toString());
    if (name.isEmpty())
        name = translateMessage(QStringLiteral("new site"));
    const QString question
        = translateMessage(QStringLiteral("The site \"%1\" has changes that are not saved. Save them now?")).arg(name);
    switch (MessageSink::current().askYesNoCancel(question)) {
    case MessageSink::Answer::Yes:
        return post();
    case MessageSink::Answer::No:
        cancel();
        return true;
    case MessageSink::Answer::Cancel:
        break;
    }
    return false;
}

bool SiteEditState::startFind()
{
    if (!post())
        return false;
    m_search.restart(m_cursor);
    return true;
}

bool SiteEditState::findNext(const SiteSearch::Request& request)
{
    if (!post())
        return false;
    if (m_search.findNext(m_cursor, fields(), request))
        return true;
    MessageSink::current().showMessage(translateMessage(QStringLiteral("No matches found")));
    return false;
}
