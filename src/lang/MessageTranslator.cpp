#include "MessageTranslator.h"

#include "LanguageFile.h"
#include "MessageTranslation.h"
#include "TConfig.h"

namespace {

const TConfig* g_config = nullptr;

} // namespace

QString languageFilePath(const TConfig& config)
{
    return config.programDirectory() + config.Language + QStringLiteral(".lng");
}

QString TranslateMsg(const QString& text)
{
    if (!g_config || g_config->Language == QLatin1String("English"))
        return text;
    return LookupMessage(languageFilePath(*g_config), text);
}

void useLanguageOf(const TConfig* config)
{
    g_config = config;
    installMessageTranslator(config ? MessageTranslator(TranslateMsg) : MessageTranslator());
}
