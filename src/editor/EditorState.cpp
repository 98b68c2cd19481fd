#include "EditorState.h"

#include "QuilletError.h"
#include "TextDecoding.h"

using namespace EditorControl;

namespace {

void requireKind(Id id, bool ok)
{
    if (!ok)
        throw QuilletError(QStringLiteral("The control %1 holds no value of this kind").arg(name(id)));
}

} // namespace

EditorState::EditorState()
{
    m_items[slot(cboLicense)] = defaultLicenseItems();
    m_items[slot(cboInstall)] = defaultInstallItems();
    m_items[slot(cboOS)] = defaultOSItems();
}

QStringList EditorState::defaultLicenseItems()
{
    return {QStringLiteral("Time-limited trial"), QStringLiteral("Feature-limited demo"), QStringLiteral("Freeware"),
        QStringLiteral("Nagware"), QStringLiteral("Adware")};
}

QStringList EditorState::defaultInstallItems()
{
    return {QStringLiteral("None"), QStringLiteral("Install"), QStringLiteral("Install and Uninstall")};
}

QStringList EditorState::defaultOSItems()
{
    return {QStringLiteral("Windows 95/98/NT/2000"), QStringLiteral("Windows 95/98"), QStringLiteral("Windows NT/2000"),
        QStringLiteral("DOS"), QStringLiteral("DOS and Windows"), QStringLiteral("MacIntosh"), QStringLiteral("PalmOS"),
        QStringLiteral("Linux")};
}

QString EditorState::text(Id id) const
{
    requireKind(id, isTextKind(id));
    return m_texts[slot(id)];
}

QStringList EditorState::lines(Id id) const
{
    requireKind(id, kind(id) == Kind::Memo);
    return m_lines[slot(id)];
}

QDate EditorState::date(Id id) const
{
    requireKind(id, kind(id) == Kind::Date);
    return m_dates[slot(id)];
}

QStringList EditorState::items(Id id) const
{
    requireKind(id, kind(id) == Kind::List);
    return m_items[slot(id)];
}

void EditorState::setText(Id id, const QString& text, Origin origin)
{
    requireKind(id, isTextKind(id));
    QString& held = m_texts[slot(id)];
    if (held == text)
        return;
    held = text;
    changed(id, origin);
}

void EditorState::setLines(Id id, const QStringList& lines, Origin origin)
{
    requireKind(id, kind(id) == Kind::Memo);
    QStringList& held = m_lines[slot(id)];
    if (held == lines)
        return;
    held = lines;
    changed(id, origin);
}

void EditorState::setDate(Id id, const QDate& date, Origin origin)
{
    requireKind(id, kind(id) == Kind::Date);
    QDate& held = m_dates[slot(id)];
    const QDate value = date.isValid() ? date : QDate();
    if (held == value)
        return;
    held = value;
    changed(id, origin);
}

void EditorState::setItems(Id id, const QStringList& items)
{
    requireKind(id, kind(id) == Kind::List);
    m_items[slot(id)] = items;
    notify(id);
}

void EditorState::appendItem(Id id, const QString& item)
{
    requireKind(id, kind(id) == Kind::List);
    m_items[slot(id)].append(item);
    notify(id);
}

void EditorState::removeItems(Id id, const QString& text)
{
    requireKind(id, kind(id) == Kind::List);
    if (m_items[slot(id)].removeAll(text) > 0)
        notify(id);
}

QString EditorState::joinLines(const QStringList& lines)
{
    QString value;
    for (const QString& line : lines)
        value += line + QStringLiteral("\r\n");
    return value;
}

QStringList EditorState::splitValue(const QString& value)
{
    return splitLines(value);
}

EditorState::Snapshot EditorState::snapshot(Group wanted) const
{
    Snapshot values;
    for (int i = 0; i < Count; ++i) {
        const Id id = static_cast<Id>(i);
        if (group(id) != wanted)
            continue;
        switch (kind(id)) {
        case Kind::Edit:
        case Kind::List:
            values.append(m_texts[slot(id)]);
            break;
        case Kind::Memo:
            values.append(joinLines(m_lines[slot(id)]));
            break;
        case Kind::Date:
            values.append(m_dates[slot(id)].isValid() ? m_dates[slot(id)].toString(Qt::ISODate) : QString());
            break;
        }
    }
    return values;
}

EditorState::Values EditorState::values() const
{
    Values values;
    values.texts = m_texts;
    values.lines = m_lines;
    values.dates = m_dates;
    values.items = m_items;
    values.siteEffects = siteEffects;
    values.companyChanged = companyChanged;
    values.programChanged = programChanged;
    values.dateParts = {releaseYear, releaseMonth, releaseDay, expireYear, expireMonth, expireDay};
    return values;
}

void EditorState::restore(const Values& values)
{
    for (int i = 0; i < Count; ++i) {
        const size_t at = static_cast<size_t>(i);
        const bool differs = m_texts[at] != values.texts[at] || m_lines[at] != values.lines[at]
            || m_dates[at] != values.dates[at] || m_items[at] != values.items[at];
        m_texts[at] = values.texts[at];
        m_lines[at] = values.lines[at];
        m_dates[at] = values.dates[at];
        m_items[at] = values.items[at];
        if (differs)
            notify(static_cast<Id>(i));
    }
    siteEffects = values.siteEffects;
    companyChanged = values.companyChanged;
    programChanged = values.programChanged;
    const QStringList& parts = values.dateParts;
    if (parts.size() == 6) {
        releaseYear = parts.at(0);
        releaseMonth = parts.at(1);
        releaseDay = parts.at(2);
        expireYear = parts.at(3);
        expireMonth = parts.at(4);
        expireDay = parts.at(5);
    }
}

void EditorState::changed(Id id, Origin origin)
{
    const Info& control = info(id);
    if (control.group == Group::Company) {
        if (id != cbCompany)
            companyChanged = true;
    } else if (id != cboProgramName) {
        const bool byCodeCounts = control.kind == Kind::Edit || control.kind == Kind::Memo;
        if (byCodeCounts || origin == Origin::User)
            programChanged = true;
    }
    notify(id);
}

void EditorState::notify(Id id)
{
    if (m_listener)
        m_listener(id);
}
