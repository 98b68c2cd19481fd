#include "LanguageSwitch.h"

#include "LanguageFolders.h"
#include "MessageTranslator.h"
#include "Settings.h"
#include "WindowTranslator.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSet>
#include <QTranslator>
#include <QWidget>

#include <optional>

namespace {

// The Qt language whose English name is language ("German"), if any.
std::optional<QLocale::Language> qtLanguage(const QString& language)
{
    for (int value = QLocale::AnyLanguage + 1; value <= QLocale::LastLanguage; ++value) {
        const auto candidate = static_cast<QLocale::Language>(value);
        if (QLocale::languageToString(candidate).compare(language, Qt::CaseInsensitive) == 0)
            return candidate;
    }
    return std::nullopt;
}

} // namespace

LanguageSwitch& LanguageSwitch::instance()
{
    static LanguageSwitch* languageSwitch = new LanguageSwitch;
    return *languageSwitch;
}

QString LanguageSwitch::nativeName(const QString& language)
{
    const std::optional<QLocale::Language> qt = qtLanguage(language);
    if (!qt || *qt == QLocale::English)
        return language;
    const QString native = QLocale(*qt).nativeLanguageName();
    if (native.isEmpty())
        return language;
    // Menus start every item with a capital, the language's own name too.
    return QLocale(*qt).toUpper(native.left(1)) + native.mid(1);
}

bool LanguageSwitch::loadQtTranslations(const QString& language)
{
    for (const auto& translator : m_qtTranslators)
        QCoreApplication::removeTranslator(translator.get());
    m_qtTranslators.clear();
    const std::optional<QLocale::Language> qt = qtLanguage(language);
    if (!qt || *qt == QLocale::English)
        return false;
    const QLocale locale(*qt);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // "qt" gathers the Qt modules' catalogues; the web view's context menu has its own.
    for (const char* catalogue : {"qt", "qtwebengine"}) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(locale, QLatin1String(catalogue), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator.get());
            m_qtTranslators.push_back(std::move(translator));
        }
    }
    return !m_qtTranslators.empty();
}

bool LanguageSwitch::apply(const Settings& config)
{
    loadQtTranslations(config.language);
    // A choice reads the file even for English (a file of that name may
    // hold the user's own English texts); without one the windows' own texts
    // are back already.
    const QString file = languageFilePath(config);
    bool ok = true;
    // Docked windows are no top-level widgets: every widget's component counts, once.
    QSet<WindowTranslator*> done;
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        auto* component = widget->findChild<WindowTranslator*>(QStringLiteral("Language1"), Qt::FindDirectChildrenOnly);
        if (!component || done.contains(component))
            continue;
        done.insert(component);
        ok = component->switchLanguage(file, false) && ok;
    }
    Q_EMIT languageChanged();
    return ok;
}
