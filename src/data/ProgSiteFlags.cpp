#include "ProgSiteFlags.h"

std::optional<bool>* ProgSiteRow::flag(const QString& name)
{
    if (name == QLatin1String("Submitted"))
        return &Submitted;
    if (name == QLatin1String("Published"))
        return &Published;
    if (name == QLatin1String("OldVersion"))
        return &OldVersion;
    if (name == QLatin1String("NotApplicable"))
        return &NotApplicable;
    return nullptr;
}

const std::optional<bool>* ProgSiteRow::flag(const QString& name) const
{
    return const_cast<ProgSiteRow*>(this)->flag(name);
}

void ProgSiteFlags::clear(const QString& program)
{
    m_program = program;
    m_rows.clear();
}

const ProgSiteRow* ProgSiteFlags::find(const QString& siteName) const
{
    const auto it = m_rows.constFind(siteName);
    return it == m_rows.constEnd() ? nullptr : &it.value();
}

bool ProgSiteFlags::isSet(const QString& siteName, const QString& flagName) const
{
    const ProgSiteRow* found = find(siteName);
    if (!found)
        return false;
    const std::optional<bool>* value = found->flag(flagName);
    return value && value->value_or(false);
}
