#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

class Settings;

// One translatable property of a component as the translation reaches it.
struct TranslatableProperty {
    enum class Kind { Text, Integer, StringList };

    Kind kind = Kind::Text;
    // The current value as text (string lists joined by line breaks); may be empty.
    std::function<QString()> read;
    // Assigns a QString, an int or a QStringList according to kind. A property
    // without write exists but takes no translation: the path is skipped.
    std::function<void(const QVariant&)> write;
};

// Window texts from a language file: every path of Properties
// ("window.component.property", names compared without regard to letter case)
// takes its value from the [Translations] section of LanguageFile.
//
// The window is the component's owner (its parent) or, when its name differs,
// a top-level object of the application; components are the window's
// descendants found by objectName, shallowest first. Property names such as
// Caption, Hint and Items are mapped onto Qt properties:
//   Caption -> title, else text, else windowTitle
//   Hint    -> toolTip and statusTip
//   Items   -> a QStringList property "items"
//   any other name -> the Qt property of that name (QString, integer or QStringList)
// The window layer registers resolvers for what Qt Core cannot reach (a combo
// box's items, a tab page's caption) and the list of top-level windows.
//
// A plain QObject (owned by its window, named like a component) with its
// notifications as callbacks, so the language library needs no meta-object code.
class WindowTranslator : public QObject {
public:
    using Notification = std::function<void(WindowTranslator* sender)>;
    // Called before each assignment with the component, the property name, the
    // old value as text and the new value, which the handler may change.
    using TranslateHandler = std::function<void(
        QObject* component, const QString& propertyName, const QString& oldValue, QString& newValue)>;
    using PropertyResolver
        = std::function<std::optional<TranslatableProperty>(QObject* component, const QString& propertyName)>;
    using RootProvider = std::function<QObjectList()>;

    explicit WindowTranslator(QObject* owner = nullptr);
    // A window's component: named "Language1", with its paths and separator.
    WindowTranslator(QObject* owner, const QStringList& paths, const QString& separator = QStringLiteral(";"));

    QString languageFile() const { return m_languageFile; }
    void setLanguageFile(const QString& path) { m_languageFile = path; }

    QStringList properties() const { return m_properties; }
    void setProperties(const QStringList& paths) { m_properties = paths; }

    // Further paths, asked for at each translation: the window layer names
    // every text a window shows this way. paths() is Properties followed by
    // those of them that Properties lacks (letter case ignored).
    void setPathSource(std::function<QStringList()> source) { m_pathSource = std::move(source); }
    QStringList paths() const;

    // Empty until set; an empty or blank text gives ",", any other text is kept as it is.
    QString separator() const { return m_separator; }
    void setSeparator(const QString& separator);

    // Called at the start and at the end of translate (not after a run that stopped at an error).
    void setOnBeforeTranslation(Notification handler) { m_onBeforeTranslation = std::move(handler); }
    void setOnAfterTranslation(Notification handler) { m_onAfterTranslation = std::move(handler); }
    void setOnTranslate(TranslateHandler handler) { m_onTranslate = std::move(handler); }

    // Applies the language file to every path, in order. A value that does not
    // convert (an integer property given no whole number) stops the run: the
    // error is shown through the message sink, the later paths are not applied
    // and false is returned.
    bool translate();

    // Resolves path and assigns value; nothing happens for an empty value or a
    // path that names no existing component or property. Raises ConversionError
    // "'<value>' is not a valid integer value" for an integer property.
    void translateProperty(const QString& path, const QString& value);

    // What path's property holds now, as a language file would give it (a
    // list's items joined by Separator); nothing when the path names no
    // component, or no property of it that takes a translation.
    std::optional<QString> currentValue(const QString& path) const;

    // The Messages value of text in LanguageFile, or text itself.
    QString lookupMessage(const QString& text) const;

    // Sets LanguageFile to the file in force for config's Language and
    // translates unless the language is exactly "English". Returns false when
    // the translation stopped at an error.
    bool applyLanguage(const Settings& config);

    // Another language for a window that is open: every text that a
    // translation changed and nothing changed since gets its own text back,
    // then the window takes languageFile, unless english. A key that the new
    // file lacks so shows the window's own text, not the previous language's.
    bool switchLanguage(const QString& languageFile, bool english);
    // The texts that translate() changed get their own back (see switchLanguage).
    void restoreOwnTexts();

    // The items of a list value split at separator (see Separator).
    static QStringList splitListValue(const QString& value, const QString& separator);

    // Resolvers registered later are asked first; the generic mapping comes
    // last. Returns an id for unregisterPropertyResolver.
    static int registerPropertyResolver(PropertyResolver resolver);
    static void unregisterPropertyResolver(int id);
    // The application's top-level windows; without a provider only the owner is a window.
    static void setRootProvider(RootProvider provider);

    // The component of window that a path names name (letter case ignored),
    // shallowest first; windows inside window (objects with a translation
    // component of their own, such as an open dialog) are not searched.
    static QObject* findComponent(QObject* window, const QString& name);
    // Whether object carries a translation component: it is a window of its own.
    static bool hasOwnComponent(const QObject* object);

private:
    // The component path names, and the property name after its last point;
    // nullptr when a window or component on the way is missing.
    QObject* findTarget(const QString& path, QString* propertyName) const;
    QObject* findWindow(const QString& name) const;
    static std::optional<TranslatableProperty> resolveProperty(QObject* component, const QString& propertyName);

    // Assigns value to path's property, an empty value too; false when the path names nothing.
    bool assign(const QString& path, const QString& value);

    // A text the translation changed: what the window had before and what it was given.
    struct Replaced {
        QString path;
        QString own;
        QString given;
    };

    QString m_languageFile;
    QStringList m_properties;
    std::function<QStringList()> m_pathSource;
    QHash<QString, Replaced> m_replaced; // by path in lower case
    QString m_separator;
    Notification m_onBeforeTranslation;
    Notification m_onAfterTranslation;
    TranslateHandler m_onTranslate;
};
