#include "FormCapture.h"

#include "DataFieldLookup.h"
#include "FormControlKey.h"
#include "FormFileNames.h"
#include "FormMap.h"
#include "IniDocument.h"
#include "MessageSink.h"
#include "MessageTranslation.h"
#include "QuilletError.h"
#include "SiteValues.h"
#include "UploadField.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool isSkipped(const QString& type)
{
    return type == QLatin1String("hidden") || type == QLatin1String("submit") || type == QLatin1String("BUTTON");
}

// Each selected option's text followed by ";", first to last.
QString selectedTexts(const FormControl& control)
{
    QString value;
    for (const FormOption& option : control.options) {
        if (option.selected)
            value += option.text + QLatin1Char(';');
    }
    return value;
}

} // namespace

bool FormCapture::records(const FormControl& control)
{
    return !isSkipped(control.type) && FormControlKey::hasKey(control);
}

bool FormCapture::hasForm(const FormSnapshot& snapshot)
{
    if (!snapshot.hasDocument || !snapshot.hasBody)
        return false;
    for (const FormControl& control : snapshot.controls) {
        if (records(control))
            return true;
    }
    return false;
}

FormCapture::FormCapture(QString programDirectory, const DataSelectorRows& rows, SiteAccount site, QString programName)
    : m_programDirectory(std::move(programDirectory))
    , m_rows(rows)
    , m_site(std::move(site))
    , m_programName(std::move(programName))
{ }

QString FormCapture::saveForm(const FormSnapshot& snapshot)
{
    try {
        capture(snapshot);
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return QString();
    }
    return translateMessage(QStringLiteral("Form saved"));
}

void FormCapture::capture(const FormSnapshot& snapshot)
{
    m_recorded = 0;
    m_unstorable = 0;
    const QString valuesPath = FormFileNames::siteValues(m_programDirectory, m_programName, m_site.siteName);
    const QString mapPath = FormFileNames::siteMap(m_programDirectory, m_site.siteName);

    const QString folder = FormFileNames::siteDataFolder(m_programDirectory);
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw QuilletError(translateMessage(QStringLiteral("Unable to create the folder %1")).arg(folder));

    // A map that cannot be read is reported and left as it is: nothing of
    // this capture is written over it.
    FormMap map = QFileInfo(mapPath).isFile() ? FormMap::load(mapPath) : FormMap();

    IniDocument values = IniDocument::load(valuesPath);
    bool valuesChanged = false;
    const DataFieldLookup lookup(m_rows, m_site);

    if (snapshot.hasDocument && snapshot.hasBody) {
        for (const FormControl& control : snapshot.controls) {
            if (!records(control))
                continue;
            const QString& type = control.type;
            const QString key = FormControlKey::of(control);
            QString value = FormControlKey::trimBlanks(control.value);
            if (FormControlKey::isCheckable(type))
                value = control.checked ? QStringLiteral("True") : QStringLiteral("False");
            if (control.tag == QLatin1String("SELECT"))
                value = selectedTexts(control);

            QString dataField = lookup.findDataField(value);
            if (dataField.isEmpty())
                dataField = UploadField::dataFieldOfChosenFile(control, m_rows);
            if (!map.setControl(key, type, dataField)) {
                ++m_unstorable;
                continue;
            }
            ++m_recorded;
            if (dataField.isEmpty() && !key.isEmpty()) {
                if (!IniDocument::isSectionName(key)) {
                    ++m_unstorable;
                    continue;
                }
                SiteValues::write(values, key, value, type);
                valuesChanged = true;
            }
        }
    }

    // The values file first: when it cannot be written, the map stays as it was.
    if (valuesChanged) {
        try {
            values.save(valuesPath);
        } catch (const QuilletError&) {
            throw QuilletError(translateMessage(QStringLiteral("Unable to write to %1")).arg(valuesPath));
        }
    }
    map.save(mapPath);
}
