#include "FormControlKey.h"

QString FormControlKey::trimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).unicode() <= 0x20)
        ++start;
    while (end > start && text.at(end - 1).unicode() <= 0x20)
        --end;
    return start == 0 && end == text.size() ? text : text.mid(start, end - start);
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
