#include "MessageTranslator.h"

#include "LanguageFile.h"
#include "LanguageFolders.h"
#include "MessageTranslation.h"
#include "Settings.h"

namespace {

const Settings* g_config = nullptr;

} // namespace

QString languageFilePath(const Settings& config)
{
    return LanguageFolders::filePath(config.programDirectory(), config.language);
}

QString translateMsg(const QString& text)
{
    if (!g_config || g_config->language == QLatin1String("English"))
        return text;
    return lookupMessage(languageFilePath(*g_config), text);
}

const Settings* languageSettings()
{
    return g_config;
}

void useLanguageOf(const Settings* config)
{
    g_config = config;
    installMessageTranslator(config ? MessageTranslator(translateMsg) : MessageTranslator());
}
