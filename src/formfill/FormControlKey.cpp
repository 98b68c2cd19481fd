#include "FormControlKey.h"

#include "Helpers.h"

QString FormControlKey::trimBlanks(const QString& text)
{
    return trimBlanksAndControls(text);
}

QString FormControlKey::strippedName(const FormControl& control)
{
    QString name = control.name;
    name.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    return name;
}

bool FormControlKey::isCheckable(const QString& type)
{
    return type == QLatin1String("checkbox") || type == QLatin1String("radio");
}

bool FormControlKey::hasKey(const FormControl& control)
{
    return !control.name.isEmpty() || !control.id.isEmpty();
}

QString FormControlKey::of(const FormControl& control)
{
    // Unnamed controls would otherwise all share the empty key, so that one
    // map element would be applied to every one of them.
    const QString name = control.name.isEmpty() ? control.id : strippedName(control);
    return isCheckable(control.type) ? name + trimBlanks(control.value) : name;
}
