#include "PadValidator.h"

#include "MessageTranslation.h"
#include "MessageTranslator.h"

#include <QHash>
#include <QStringList>

namespace {

using Node = PadDocument::Node;
using Problem = PadValidator::Problem;
using Level = PadValidator::Level;

const QString kRoot = QStringLiteral("XML_DIZ_INFO");
const QString kDescriptions = QStringLiteral("Program_Descriptions");
const QString kEnglishBlock = QStringLiteral("Program_Descriptions/English/");

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// An element found for a field: the node and its path as the file spells it.
struct Found {
    const Node* node;
    QString path;
};

// Every element at path below parent, each step's name matched in any
// letter case.
QList<Found> findAll(const Node& parent, const QStringList& steps, const QString& prefix = QString())
{
    QList<Found> found;
    if (steps.isEmpty())
        return found;
    for (const Node& child : parent.children) {
        if (!child.isElement || !sameName(child.tagName, steps.first()))
            continue;
        const QString path = prefix.isEmpty() ? child.tagName : prefix + QLatin1Char('/') + child.tagName;
        if (steps.size() == 1)
            found << Found {&child, path};
        else
            found << findAll(child, steps.mid(1), path);
    }
    return found;
}

class Walk {
public:
    QList<Problem> problems;

    void checkField(const PadFieldRules::Rule& rule, const Node& parent, const QStringList& steps,
        const QString& prefix, const QString& canonicalPath)
    {
        const QList<Found> found = findAll(parent, steps, prefix);
        if (found.isEmpty()) {
            if (rule.required) {
                Problem problem;
                problem.path = canonicalPath;
                problem.field = rule.path;
                problem.missing = true;
                problem.text = translateMsg(QStringLiteral("%1 is missing; PAD requires it")).arg(rule.name());
                problems << problem;
            }
            return;
        }
        for (const Found& element : found) {
            for (const PadFieldRules::Finding& finding : PadFieldRules::check(rule, element.node->rawText))
                add(finding, element, rule);
        }
    }

    void add(const PadFieldRules::Finding& finding, const Found& element, const PadFieldRules::Rule& rule)
    {
        Problem problem;
        problem.level = finding.level;
        problem.path = element.path;
        problem.field = rule.path;
        problem.value = finding.aboutBlanks ? element.node->rawText : element.node->text;
        problem.text = finding.text;
        problems << problem;
    }
};

const QStringList& sections()
{
    static const QStringList names = [] {
        QStringList list;
        for (const PadFieldRules::Rule& rule : PadFieldRules::rules()) {
            const QString first = rule.path.section(QLatin1Char('/'), 0, 0);
            if (!list.contains(first))
                list << first;
        }
        return list;
    }();
    return names;
}

// The names the format gives the elements below each path (the root's
// children below ""), in its spelling. A language block's children are the
// English block's.
const QHash<QString, QStringList>& knownChildren()
{
    static const QHash<QString, QStringList> children = [] {
        QHash<QString, QStringList> known;
        for (const PadFieldRules::Rule& rule : PadFieldRules::rules()) {
            const QStringList steps = rule.path.split(QLatin1Char('/'));
            QString parent;
            for (const QString& step : steps) {
                if (!known[parent].contains(step))
                    known[parent] << step;
                parent = parent.isEmpty() ? step : parent + QLatin1Char('/') + step;
            }
        }
        if (const PadFieldRules::Rule* languages = PadFieldRules::find(QStringLiteral("Program_Info/Program_Language")))
            known[kDescriptions] << languages->values;
        return known;
    }();
    return children;
}

// Every element whose name the format spells in other letter cases: one
// error for each, where it stands.
void findMiscasedNames(const Node& node, const QString& canonical, const QString& actual, QList<Problem>& problems)
{
    QString key = canonical;
    if (key.startsWith(kDescriptions + QLatin1Char('/')) && key.count(QLatin1Char('/')) == 1)
        key = kDescriptions + QStringLiteral("/English");
    const QStringList names = knownChildren().value(key);
    for (const Node& child : node.children) {
        if (!child.isElement)
            continue;
        QString name;
        for (const QString& known : names) {
            if (sameName(known, child.tagName))
                name = known;
        }
        if (name.isEmpty())
            continue;
        const QString childCanonical = canonical.isEmpty() ? name : canonical + QLatin1Char('/') + name;
        const QString childActual = actual.isEmpty() ? child.tagName : actual + QLatin1Char('/') + child.tagName;
        if (child.tagName != name) {
            QString field = childCanonical;
            if (field.startsWith(kDescriptions + QLatin1Char('/')) && field.count(QLatin1Char('/')) == 2)
                field = kEnglishBlock + field.section(QLatin1Char('/'), -1);
            Problem problem;
            problem.path = childActual;
            problem.field = PadFieldRules::find(field) ? field : QString();
            problem.value = child.text;
            problem.missing = problem.field.isEmpty();
            problem.text = translateMsg(QStringLiteral("%1 is written %2; PAD element names are case-sensitive"))
                               .arg(name, child.tagName);
            problems << problem;
        }
        findMiscasedNames(child, childCanonical, childActual, problems);
    }
}

} // namespace

QString PadValidator::shortened(const QString& value)
{
    QString shown = value;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    shown.replace(QLatin1Char('\r'), QLatin1String("\\n")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
    const QList<uint> characters = shown.toUcs4();
    if (characters.size() <= ShownValueLength)
        return shown;
    QList<char32_t> kept;
    for (int i = 0; i < ShownValueLength - 1; ++i)
        kept << characters.at(i);
    return QString::fromUcs4(kept.constData(), kept.size()) + QChar(0x2026);
}

QString PadValidator::Problem::line() const
{
    QString out = level == Level::Error ? QStringLiteral("error: ") : QStringLiteral("warning: ");
    out += path;
    if (!missing && !path.isEmpty())
        out += QStringLiteral(" \"") + shortened(value) + QLatin1Char('"');
    // A value quoted in the rule's words may hold a line break as well.
    QString rule = text;
    rule.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    rule.replace(QLatin1Char('\r'), QLatin1String("\\n")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
    out += QStringLiteral(": ") + rule;
    return out;
}

QList<PadValidator::Problem> PadValidator::validate(const PadDocument& document)
{
    Walk walk;
    const Node& root = document.root();
    if (!sameName(root.tagName, kRoot)) {
        Problem problem;
        problem.path = root.tagName;
        problem.missing = true;
        problem.text
            = translateMsg(QStringLiteral("The root element is %1; a PAD file's root is %2")).arg(root.tagName, kRoot);
        walk.problems << problem;
        return walk.problems;
    }
    if (root.tagName != kRoot) {
        Problem problem;
        problem.path = root.tagName;
        problem.missing = true;
        problem.text = translateMsg(QStringLiteral("%1 is written %2; PAD element names are case-sensitive"))
                           .arg(kRoot, root.tagName);
        walk.problems << problem;
    }

    findMiscasedNames(root, QString(), QString(), walk.problems);

    // The language blocks of the descriptions: English and every other
    // language the format names, each checked with the English rules.
    const PadFieldRules::Rule* languages = PadFieldRules::find(QStringLiteral("Program_Info/Program_Language"));
    QList<Found> blocks;
    for (const Found& container : findAll(root, {kDescriptions})) {
        for (const Node& child : container.node->children) {
            if (child.isElement
                && (sameName(child.tagName, QStringLiteral("English"))
                    || (languages && languages->values.contains(child.tagName, Qt::CaseInsensitive))))
                blocks << Found {&child, container.path + QLatin1Char('/') + child.tagName};
        }
    }

    for (const PadFieldRules::Rule& rule : PadFieldRules::rules()) {
        if (!rule.path.startsWith(kEnglishBlock)) {
            walk.checkField(rule, root, rule.path.split(QLatin1Char('/')), QString(), rule.path);
            continue;
        }
        const QString field = rule.path.mid(kEnglishBlock.size());
        for (const Found& block : blocks) {
            // The block's own name is the format's spelling when it is a
            // language id in another letter case.
            QString blockName = block.node->tagName;
            if (languages) {
                for (const QString& id : languages->values) {
                    if (sameName(id, blockName))
                        blockName = id;
                }
            }
            const QString canonical = kDescriptions + QLatin1Char('/') + blockName + QLatin1Char('/') + field;
            walk.checkField(rule, *block.node, {field}, block.path, canonical);
        }
    }

    // Misspelt sections: an unknown first-level element one or two letters
    // away from a section's name.
    for (const Node& child : root.children) {
        if (!child.isElement || sections().contains(child.tagName, Qt::CaseInsensitive))
            continue;
        const QString nearest = PadFieldRules::closest(child.tagName, sections());
        if (PadFieldRules::distance(child.tagName.toLower(), nearest.toLower()) > 2)
            continue;
        Problem problem;
        problem.level = Level::Warning;
        problem.path = child.tagName;
        problem.missing = true;
        problem.text
            = translateMsg(QStringLiteral("%1 is no PAD element; the format names %2, so a site reads nothing from it"))
                  .arg(child.tagName, nearest);
        walk.problems << problem;
    }
    return walk.problems;
}

QList<PadValidator::Problem> PadValidator::validateFile(const QString& path)
{
    return validate(PadDocument::load(path));
}

int PadValidator::failures(const QList<Problem>& problems, bool strict)
{
    int count = 0;
    for (const Problem& problem : problems) {
        if (problem.level == Level::Error || strict)
            ++count;
    }
    return count;
}

QString PadValidator::summary(const QString& subject, const QList<Problem>& problems)
{
    if (problems.isEmpty())
        return translateMsg(QStringLiteral("%1: no problems found.")).arg(subject);
    const int errors = failures(problems, false);
    const int warnings = static_cast<int>(problems.size()) - errors;
    // One message per count and number: the languages differ in where
    // singular and plural begin, and none is no number at all.
    QString errorCount = translateMsg(QStringLiteral("no errors"));
    if (errors == 1)
        errorCount = translateMsg(QStringLiteral("1 error"));
    else if (errors > 1)
        errorCount = translateMsg(QStringLiteral("%1 errors")).arg(errors);
    QString warningCount = translateMsg(QStringLiteral("no warnings"));
    if (warnings == 1)
        warningCount = translateMsg(QStringLiteral("1 warning"));
    else if (warnings > 1)
        warningCount = translateMsg(QStringLiteral("%1 warnings")).arg(warnings);
    return translateMsg(QStringLiteral("%1: %2, %3")).arg(subject, errorCount, warningCount);
}
