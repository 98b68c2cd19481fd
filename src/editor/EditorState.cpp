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
