#include "ProgSiteFlags.h"

std::optional<bool>* ProgSiteRow::flag(const QString& name)
{
    if (name == QLatin1String("Submitted"))
        return &submitted;
    if (name == QLatin1String("Published"))
        return &published;
    if (name == QLatin1String("OldVersion"))
        return &oldVersion;
    if (name == QLatin1String("NotApplicable"))
        return &notApplicable;
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
