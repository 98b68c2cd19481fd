#include "WindowTranslator.h"

#include "LanguageFile.h"
#include "MessageSink.h"
#include "MessageTranslator.h"
#include "QuilletError.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QMetaProperty>
#include <QQueue>
#include <QSet>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

struct RegisteredResolver {
    int id;
    WindowTranslator::PropertyResolver resolve;
};

std::vector<RegisteredResolver>& resolvers()
{
    static std::vector<RegisteredResolver> list;
    return list;
}

WindowTranslator::RootProvider& rootProvider()
{
    static WindowTranslator::RootProvider provider;
    return provider;
}

QChar asciiLower(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ? QChar(c.unicode() + ('a' - 'A')) : c;
}

// Names are equal when they differ only in the letter case of A to Z.
bool sameName(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (asciiLower(a.at(i)) != asciiLower(b.at(i)))
            return false;
    }
    return true;
}

std::optional<TranslatableProperty::Kind> kindOf(const QMetaProperty& property)
{
    switch (property.metaType().id()) {
    case QMetaType::QString:
        return TranslatableProperty::Kind::Text;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return TranslatableProperty::Kind::Integer;
    case QMetaType::QStringList:
        return TranslatableProperty::Kind::StringList;
    default:
        return std::nullopt;
    }
}

// The writable Qt property of that name (letter case ignored), if its kind takes a translation.
std::optional<QMetaProperty> qtProperty(const QObject* object, const QString& name)
{
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (sameName(QString::fromLatin1(property.name()), name) && property.isWritable() && kindOf(property))
            return property;
    }
    return std::nullopt;
}

QString valueAsText(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char('\n'));
    return value.toString();
}

TranslatableProperty fromQtProperties(QObject* object, const QList<QMetaProperty>& targets)
{
    TranslatableProperty result;
    result.kind = *kindOf(targets.first());
    const QMetaProperty first = targets.first();
    result.read = [object, first] { return valueAsText(first.read(object)); };
    result.write = [object, targets](const QVariant& value) {
        for (const QMetaProperty& target : targets)
            target.write(object, value);
    };
    return result;
}

std::optional<TranslatableProperty> genericProperty(QObject* object, const QString& name)
{
    const auto textProperty = [object](const char* qtName) -> std::optional<QMetaProperty> {
        auto property = qtProperty(object, QString::fromLatin1(qtName));
        if (property && kindOf(*property) == TranslatableProperty::Kind::Text)
            return property;
        return std::nullopt;
    };

    if (sameName(name, QStringLiteral("Caption"))) {
        for (const char* candidate : {"title", "text", "windowTitle"}) {
            if (auto property = textProperty(candidate))
                return fromQtProperties(object, {*property});
        }
        return std::nullopt;
    }
    if (sameName(name, QStringLiteral("Hint"))) {
        QList<QMetaProperty> targets;
        for (const char* candidate : {"toolTip", "statusTip"}) {
            if (auto property = textProperty(candidate))
                targets.append(*property);
        }
        if (targets.isEmpty())
            return std::nullopt;
        return fromQtProperties(object, targets);
    }
    if (auto property = qtProperty(object, name))
        return fromQtProperties(object, {*property});
    return std::nullopt;
}

int integerValue(const QString& value)
{
    bool ok = false;
    const int number = value.trimmed().toInt(&ok, 10);
    if (!ok)
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(value));
    return number;
}

} // namespace

WindowTranslator::WindowTranslator(QObject* owner)
    : QObject(owner)
{ }

WindowTranslator::WindowTranslator(QObject* owner, const QStringList& paths, const QString& separator)
    : QObject(owner)
    , m_properties(paths)
{
    setObjectName(QStringLiteral("Language1"));
    setSeparator(separator);
}

void WindowTranslator::setSeparator(const QString& separator)
{
    m_separator = separator.trimmed().isEmpty() ? QStringLiteral(",") : separator;
}

QStringList WindowTranslator::paths() const
{
    QStringList result = m_properties;
    if (!m_pathSource)
        return result;
    QSet<QString> known;
    for (const QString& path : std::as_const(m_properties))
        known.insert(path.trimmed().toLower());
    const QStringList more = m_pathSource();
    for (const QString& path : more) {
        if (!known.contains(path.trimmed().toLower())) {
            known.insert(path.trimmed().toLower());
            result.append(path);
        }
    }
    return result;
}

bool WindowTranslator::translate()
{
    if (m_onBeforeTranslation)
        m_onBeforeTranslation(this);
    const std::shared_ptr<const ::LanguageFile> file = ::LanguageFile::open(m_languageFile);
    try {
        const QStringList entries = paths();
        for (const QString& entry : entries) {
            if (entry.trimmed().isEmpty())
                continue;
            const QString* value = file->translation(entry.trimmed());
            if (!value || value->isEmpty()) {
                translateProperty(entry, QString());
                continue;
            }
            // The window's own text is kept once, before the first translation changes it.
            const QString key = entry.trimmed().toLower();
            const std::optional<QString> own = m_replaced.contains(key) ? std::nullopt : currentValue(entry);
            translateProperty(entry, *value);
            const std::optional<QString> given = currentValue(entry);
            if (own && given && *own != *given)
                m_replaced.insert(key, Replaced {entry, *own, *given});
            else if (given && m_replaced.contains(key))
                m_replaced[key].given = *given;
        }
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
        return false;
    }
    if (m_onAfterTranslation)
        m_onAfterTranslation(this);
    return true;
}

QObject* WindowTranslator::findTarget(const QString& path, QString* propertyName) const
{
    QString rest = path.trimmed();
    QObject* component = nullptr;
    bool atApplication = true;
    while (rest.contains(QLatin1Char('.'))) {
        const int dot = rest.indexOf(QLatin1Char('.'));
        const QString name = rest.left(dot).trimmed();
        rest = rest.mid(dot + 1).trimmed();
        if (atApplication) {
            component = findWindow(name);
            atApplication = false;
        } else if (component) {
            component = findComponent(component, name);
        }
    }
    *propertyName = rest;
    // A path without a point names a property of the application itself: nothing to translate.
    return component;
}

std::optional<QString> WindowTranslator::currentValue(const QString& path) const
{
    QString rest;
    QObject* component = findTarget(path, &rest);
    if (!component)
        return std::nullopt;
    const std::optional<TranslatableProperty> property = resolveProperty(component, rest);
    if (!property || !property->write || !property->read)
        return std::nullopt;
    QString value = property->read();
    if (property->kind == TranslatableProperty::Kind::StringList)
        value.replace(QLatin1Char('\n'), m_separator);
    return value;
}

void WindowTranslator::translateProperty(const QString& path, const QString& value)
{
    if (path.trimmed().isEmpty())
        return;
    QString rest;
    QObject* component = findTarget(path, &rest);
    if (!component || value.isEmpty())
        return;

    QString newValue = value;
    const std::optional<TranslatableProperty> property = resolveProperty(component, rest);
    if (m_onTranslate) {
        const QString oldValue = property && property->read ? property->read() : QString();
        m_onTranslate(component, rest, oldValue, newValue);
    }
    if (!property || !property->write)
        return;

    switch (property->kind) {
    case TranslatableProperty::Kind::Text:
        property->write(newValue);
        break;
    case TranslatableProperty::Kind::Integer:
        property->write(integerValue(newValue));
        break;
    case TranslatableProperty::Kind::StringList:
        property->write(splitListValue(newValue, m_separator));
        break;
    }
}

QString WindowTranslator::lookupMessage(const QString& text) const
{
    return ::lookupMessage(m_languageFile, text);
}

bool WindowTranslator::applyLanguage(const Settings& config)
{
    setLanguageFile(languageFilePath(config));
    if (config.language == QLatin1String("English"))
        return true;
    return translate();
}

bool WindowTranslator::switchLanguage(const QString& languageFile, bool english)
{
    restoreOwnTexts();
    setLanguageFile(languageFile);
    return english || translate();
}

void WindowTranslator::restoreOwnTexts()
{
    const QHash<QString, Replaced> replaced = std::exchange(m_replaced, {});
    for (const Replaced& text : replaced) {
        // A text the window has set since (a value, a status) is the window's own now.
        if (currentValue(text.path) == text.given)
            assign(text.path, text.own);
    }
}

bool WindowTranslator::assign(const QString& path, const QString& value)
{
    QString rest;
    QObject* component = findTarget(path, &rest);
    if (!component)
        return false;
    const std::optional<TranslatableProperty> property = resolveProperty(component, rest);
    if (!property || !property->write)
        return false;
    switch (property->kind) {
    case TranslatableProperty::Kind::Text:
        property->write(value);
        break;
    case TranslatableProperty::Kind::Integer:
        property->write(value.trimmed().toInt());
        break;
    case TranslatableProperty::Kind::StringList:
        property->write(splitListValue(value, m_separator));
        break;
    }
    return true;
}

QStringList WindowTranslator::splitListValue(const QString& value, const QString& separator)
{
    QStringList items;
    QString rest = value;
    if (!separator.isEmpty()) {
        int at = rest.indexOf(separator);
        while (at >= 0) {
            items.append(rest.left(at).trimmed());
            rest = rest.mid(at + separator.size());
            at = rest.indexOf(separator);
        }
    }
    rest = rest.trimmed();
    if (!rest.isEmpty())
        items.append(rest);
    return items;
}

int WindowTranslator::registerPropertyResolver(PropertyResolver resolver)
{
    static int lastId = 0;
    resolvers().push_back({++lastId, std::move(resolver)});
    return lastId;
}

void WindowTranslator::unregisterPropertyResolver(int id)
{
    auto& list = resolvers();
    list.erase(
        std::remove_if(list.begin(), list.end(), [id](const RegisteredResolver& r) { return r.id == id; }), list.end());
}

void WindowTranslator::setRootProvider(RootProvider provider)
{
    rootProvider() = std::move(provider);
}

QObject* WindowTranslator::findWindow(const QString& name) const
{
    QObject* owner = parent();
    if (owner && sameName(owner->objectName(), name))
        return owner;
    QObjectList roots;
    if (rootProvider())
        roots = rootProvider()();
    if (QCoreApplication::instance())
        roots += QCoreApplication::instance()->children();
    for (QObject* root : std::as_const(roots)) {
        if (root && sameName(root->objectName(), name))
            return root;
    }
    return nullptr;
}

bool WindowTranslator::hasOwnComponent(const QObject* object)
{
    for (const QObject* child : object->children()) {
        if (dynamic_cast<const WindowTranslator*>(child) && child->objectName() == QLatin1String("Language1"))
            return true;
    }
    return false;
}

QObject* WindowTranslator::findComponent(QObject* window, const QString& name)
{
    // Breadth first, so a component directly on the window wins over a namesake deeper down.
    QQueue<QObject*> queue;
    queue.enqueue(window);
    while (!queue.isEmpty()) {
        const QObjectList& children = queue.dequeue()->children();
        for (QObject* child : children) {
            if (sameName(child->objectName(), name))
                return child;
            // A dialog the window owns is a window of its own, with components of its own.
            if (!hasOwnComponent(child))
                queue.enqueue(child);
        }
    }
    return nullptr;
}

std::optional<TranslatableProperty> WindowTranslator::resolveProperty(QObject* component, const QString& propertyName)
{
    const auto& list = resolvers();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (auto property = it->resolve(component, propertyName))
            return property;
    }
    return genericProperty(component, propertyName);
}
