#pragma once

#include "DataFixture.h"

#include <QByteArray>
#include <QString>

// What the editor tests share: a program directory whose settings files are
// written before the session and the data module are opened.
struct OpenedData {
    OpenedData(const QByteArray& companiesIni, const QByteArray& quilletIni)
    {
        fixture.dir.writeFile(QStringLiteral("companies.ini"), companiesIni);
        fixture.dir.writeFile(QStringLiteral("quillet.ini"), quilletIni);
        fixture.open();
    }

    DataFixture fixture;
};

// A file of the shared collection of PAD samples.
inline QString padSample(const QString& name)
{
    return qEnvironmentVariable("QUILLET_PAD_SAMPLES") + QLatin1Char('/') + name;
}
