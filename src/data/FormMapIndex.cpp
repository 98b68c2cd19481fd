#include "FormMapIndex.h"

#include "Helpers.h"

#include <QDir>

FormMapIndex::FormMapIndex(const QString& programDirectory)
{
    const QDir folder(programDirectory + QStringLiteral("SiteData"));
    const QStringList files = folder.entryList({QStringLiteral("*.xml")}, QDir::Files | QDir::Readable);
    m_files = QSet<QString>(files.begin(), files.end());
}

bool FormMapIndex::hasMap(const QString& siteName) const
{
    return m_files.contains(stripFileNameChars(siteName + QStringLiteral(".xml")));
}
