#pragma once

#include <QString>

// The update server's manifest quilletver.ini: section [Versions] with the
// newest program version (QuilletVer) and the version of the site list on
// the server (SitesVer).
struct UpdateManifest {
    static constexpr double DefaultQuilletVer = 3.2;
    static constexpr double DefaultSitesVer = 1.01;

    double quilletVer = DefaultQuilletVer;
    double sitesVer = DefaultSitesVer;

    // Reads the file; a missing file, section or key, or a value that is no
    // number, gives that key's default.
    static UpdateManifest read(const QString& path);

    // A version number as a manifest holds it. The decimal point is read
    // first, then the decimal separator of the user's locale (a file written
    // by hand); group separators are never taken, so "1.005" is never read as
    // one thousand and five. Anything else, infinities and NaN included,
    // gives defaultValue.
    static double parseNumber(const QString& text, double defaultValue);

    // The shortest general decimal form with the user's decimal separator, as
    // messages show a version.
    static QString displayText(double number);
    // The shortest general decimal form with a decimal point, as a published manifest holds it.
    static QString fileText(double number);
};
