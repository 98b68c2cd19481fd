#include "UpdateManifest.h"

#include "IniDocument.h"

#include <QLocale>

#include <cmath>

namespace {

const QString kVersions = QStringLiteral("Versions");

bool toNumber(QLocale locale, const QString& text, double& result)
{
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double number = locale.toDouble(text, &ok);
    if (!ok || !std::isfinite(number))
        return false;
    result = number;
    return true;
}

} // namespace

UpdateManifest UpdateManifest::read(const QString& path)
{
    const IniDocument ini = IniDocument::load(path);
    UpdateManifest manifest;
    manifest.quilletVer
        = parseNumber(ini.readString(kVersions, QStringLiteral("QuilletVer"), QString()), DefaultQuilletVer);
    manifest.sitesVer = parseNumber(ini.readString(kVersions, QStringLiteral("SitesVer"), QString()), DefaultSitesVer);
    return manifest;
}

double UpdateManifest::parseNumber(const QString& text, double defaultValue)
{
    const QString trimmed = text.trimmed();
    double number = defaultValue;
    if (trimmed.isEmpty())
        return defaultValue;
    if (toNumber(QLocale::c(), trimmed, number) || toNumber(QLocale(), trimmed, number))
        return number;
    return defaultValue;
}

QString UpdateManifest::displayText(double number)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(number, 'g', QLocale::FloatingPointShortest);
}

QString UpdateManifest::fileText(double number)
{
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(number, 'g', QLocale::FloatingPointShortest);
}
