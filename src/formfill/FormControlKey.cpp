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

QString FormControlKey::of(const FormControl& control)
{
    const QString name = strippedName(control);
    return isCheckable(control.type) ? name + trimBlanks(control.value) : name;
}
