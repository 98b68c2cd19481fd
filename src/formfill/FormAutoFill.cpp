#include "FormAutoFill.h"

#include "DataFieldLookup.h"
#include "FormControlKey.h"
#include "FormFileNames.h"
#include "FormMap.h"
#include "Helpers.h"
#include "IniDocument.h"
#include "MemoText.h"
#include "SiteValues.h"
#include "UploadField.h"

#include <QFileInfo>

FormAutoFill::FormAutoFill(
    QString programDirectory, const DataSelectorRows& rows, SiteAccount site, QString programName)
    : m_programDirectory(std::move(programDirectory))
    , m_rows(rows)
    , m_site(std::move(site))
    , m_programName(std::move(programName))
{ }

bool FormAutoFill::takesText(const QString& upperType)
{
    // Beside the types of the classic document model, the text entry types
    // that later HTML added and that a page of today reports instead of "text".
    static const QStringList types
        = {QStringLiteral("TEXT"), QStringLiteral("PASSWORD"), QStringLiteral("TEXTAREA"), QStringLiteral("EMAIL"),
            QStringLiteral("URL"), QStringLiteral("TEL"), QStringLiteral("SEARCH"), QStringLiteral("NUMBER"),
            // a rich-text editor, which the page reads and fills as a memo
            QStringLiteral("RICHTEXT")};
    return types.contains(upperType);
}

QStringList FormAutoFill::fieldsOf(const QString& value)
{
    QStringList fields;
    const int count = countFields(value, QLatin1Char(';'));
    for (int j = 0; j < count; ++j) {
        const QString field = getField(value, QLatin1Char(';'), j);
        if (!field.isEmpty())
            fields.append(field);
    }
    return fields;
}

QVector<bool> FormAutoFill::selection(const FormControl& control, const QString& value)
{
    const QStringList fields = fieldsOf(value);

    const bool single = control.type != QLatin1String("select-multiple");
    QVector<bool> selected(control.options.size(), false);
    for (qsizetype i = 0; i < control.options.size(); ++i) {
        const QString text = FormControlKey::trimBlanks(control.options.at(i).text);
        if (text.isEmpty())
            continue;
        for (const QString& field : fields) {
            if (field.isEmpty() || field != text)
                continue;
            // Selecting an option of a single-choice list deselects the others.
            if (single)
                selected.fill(false);
            selected[i] = true;
        }
    }
    return selected;
}

FormAutoFill::Plan FormAutoFill::plan(const FormSnapshot& snapshot) const
{
    Plan plan;
    const QString siteMap = FormFileNames::siteMap(m_programDirectory, m_site.siteName);
    const QString generalMap = FormFileNames::generalMap(m_programDirectory);
    if (QFileInfo(siteMap).isFile())
        plan.mapPath = siteMap;
    else if (QFileInfo(generalMap).isFile())
        plan.mapPath = generalMap;
    else
        return plan;
    plan.haveMap = true;

    const FormMap map = FormMap::load(plan.mapPath);
    if (!snapshot.hasDocument || !snapshot.hasBody)
        return plan;

    // The values typed by hand, indexed once: one look-up per control keeps
    // the plan linear in the page's controls.
    const QHash<QString, QString> typedValues = SiteValues::read(
        IniDocument::load(FormFileNames::siteValues(m_programDirectory, m_programName, m_site.siteName)));
    const DataFieldLookup lookup(m_rows, m_site);

    for (const FormControl& control : snapshot.controls) {
        if (control.type == QLatin1String("hidden") || control.type == QLatin1String("submit")
            || !FormControlKey::hasKey(control))
            continue;
        const QString key = FormControlKey::of(control);
        const std::optional<QString> dataField = map.dataField(key);
        if (!dataField)
            continue;
        QString value = lookup.getDataFieldValue(*dataField);
        if (value.isEmpty() && !key.isEmpty())
            value = typedValues.value(key.toCaseFolded());

        FormChange change;
        change.position = control.position;
        change.tag = control.tag;
        change.name = control.name;
        change.dataField = *dataField;
        const QString upperType = control.type.toUpper();
        if (takesText(upperType)) {
            // A multi-line value goes in without the final line break it is stored with.
            const QString text = MemoText::forPage(value);
            if (text.isEmpty())
                continue;
            change.kind = FormChange::Kind::Value;
            change.value = text;
        } else if (upperType == QLatin1String("CHECKBOX") || upperType == QLatin1String("RADIO")) {
            if (value.isEmpty() && upperType == QLatin1String("RADIO"))
                continue;
            change.kind = FormChange::Kind::Checked;
            change.checked = value == QLatin1String("True");
        } else if (upperType == QLatin1String("SELECT-ONE") || upperType == QLatin1String("SELECT-MULTIPLE")) {
            change.kind = FormChange::Kind::Selection;
            change.selected = selection(control, value);
            for (const FormOption& option : control.options)
                change.optionTexts.append(option.text);
            change.fields = fieldsOf(value);
        } else if (UploadField::isUpload(control)) {
            const QString path = UploadField::offeredPath(value);
            if (!path.isEmpty())
                plan.fileOffers.append({control.position, control.tag, control.name, path, *dataField});
            continue;
        } else {
            continue; // button, reset, image ...: nothing
        }
        plan.changes.append(change);
    }
    return plan;
}
