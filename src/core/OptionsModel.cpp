#include "OptionsModel.h"

#include "Helpers.h"
#include "MessageTranslation.h"
#include "PropertyCatalogue.h"
#include "QuilletError.h"
#include "Settings.h"

namespace {

const QString kRatingMark = QStringLiteral("Rating > ");
const QString kPad = QStringLiteral("PAD=True");
const QString kPollsPad = QStringLiteral("PollsPAD=True");
constexpr int kContextMenuCount = 3;

// --- General page ---------------------------------------------------------

OptionsModel::GeneralPage readGeneral(const Settings& config)
{
    OptionsModel::GeneralPage page;
    page.autoFillFormFields = config.autoFillFormFields;
    if (config.siteFilter.contains(kRatingMark)) {
        // The rank is the first integer of the whole filter. A filter edited
        // by hand may hold none that converts; the box then keeps its "0".
        if (const std::optional<qint64> rank = OptionsModel::rankOf(config.siteFilter))
            page.siteRank = QString::number(*rank);
    }
    page.padEnabled = OptionsModel::filterHoldsPad(config.siteFilter);
    page.padPolling = config.siteFilter.contains(kPollsPad);
    page.updateServer = config.updateServer;
    return page;
}

// rank is the validated rank of page.siteRank.
bool applyGeneral(const OptionsModel::GeneralPage& page, qint64 rank, Settings& config)
{
    config.autoFillFormFields = page.autoFillFormFields;
    config.updateServer = page.updateServer.trimmed();
    const QString conditions = OptionsModel::composeFilterConditions(rank, page.padEnabled, page.padPolling);
    // The stored filter normally ends in the dead-and-hidden conditions and the
    // composed one does not, so this is true on nearly every OK.
    if (conditions == config.siteFilter)
        return false;
    config.siteFilter = appendCondition(conditions, QString::fromLatin1(OptionsModel::DeadAndHiddenConditions));
    return true;
}

// --- E-Mail page ----------------------------------------------------------

OptionsModel::MailPage readMail(const Settings& config)
{
    OptionsModel::MailPage page;
    page.smtpHost = config.hostAddress;
    page.defaultFrom = config.from;
    page.authentication = config.authentication;
    page.loginId = config.emailLoginId;
    page.password = config.emailPassword;
    page.port = config.emailPort;
    page.security = config.emailSecurity;
    return page;
}

void applyMail(const OptionsModel::MailPage& page, Settings& config)
{
    config.hostAddress = page.smtpHost;
    config.from = page.defaultFrom;
    config.authentication = page.authentication;
    config.emailLoginId = page.loginId;
    config.emailPassword = page.password;
    config.emailPort = page.port;
    config.emailSecurity = page.security;
}

// --- Browser Menu page ----------------------------------------------------

OptionsModel::BrowserMenuPage readBrowserMenu(const Settings& config)
{
    OptionsModel::BrowserMenuPage page;
    const int index = config.browserContextMenuIndex;
    page.contextMenuIndex = index >= 0 && index < kContextMenuCount ? index : -1;
    return page;
}

void applyBrowserMenu(const OptionsModel::BrowserMenuPage& page, Settings& config)
{
    // With no item chosen (the stored index named none) the stored index stays.
    if (page.contextMenuIndex >= 0 && page.contextMenuIndex < kContextMenuCount)
        config.browserContextMenuIndex = page.contextMenuIndex;
}

// --- Power Paste Menu page ------------------------------------------------

OptionsModel::PowerPastePage readPowerPaste(const Settings& config, const PropertyCatalogue& properties)
{
    OptionsModel::PowerPastePage page;
    for (int i = 0; i < PropertyCatalogue::Count; ++i) {
        page.captions.append(properties[i].caption);
        page.included.append(properties[i].inPowerPaste);
    }
    page.itemsPerColumn = QString::number(config.menuItemsPerColumn);
    return page;
}

// itemsPerColumn is the validated value of page.itemsPerColumn.
void applyPowerPaste(
    const OptionsModel::PowerPastePage& page, int itemsPerColumn, Settings& config, PropertyCatalogue& properties)
{
    for (int i = 0; i < PropertyCatalogue::Count && i < page.included.size(); ++i)
        properties[i].inPowerPaste = page.included.at(i);
    properties[PropertyCatalogue::Separator].inPowerPaste = false;
    config.menuItemsPerColumn = itemsPerColumn;
}

} // namespace

OptionsModel OptionsModel::read(const Settings& config, const PropertyCatalogue& properties)
{
    OptionsModel model;
    model.general = readGeneral(config);
    model.mail = readMail(config);
    model.browserMenu = readBrowserMenu(config);
    model.powerPaste = readPowerPaste(config, properties);
    return model;
}

OptionsModel::Problem OptionsModel::validate() const
{
    if (!rankOf(general.siteRank)) {
        return {Field::SiteRank,
            translateMessage(QStringLiteral("Site rank: \"%1\" is not a number. Type a whole number, for example 3 "
                                            "(0 and 1 set no rank condition)."))
                .arg(general.siteRank)};
    }
    if (!general.updateServer.trimmed().isEmpty() && !isHttpServerAddress(general.updateServer)) {
        return {Field::UpdateServer,
            translateMessage(QStringLiteral("Update server: \"%1\" is not an http:// or https:// address of a server. "
                                            "Type one such as https://updates.example.com, or leave the box empty."))
                .arg(general.updateServer.trimmed())};
    }
    if (!itemsPerColumnOf(powerPaste.itemsPerColumn)) {
        return {Field::ItemsPerColumn,
            translateMessage(QStringLiteral("Items per column: \"%1\" is not a valid number. Type a whole number of 1 "
                                            "or more."))
                .arg(powerPaste.itemsPerColumn)};
    }
    return {};
}

OptionsModel::Problem OptionsModel::apply(Settings& config, PropertyCatalogue& properties, Applied* applied) const
{
    const Problem problem = validate();
    if (!problem.isNone())
        return problem;
    const qint64 rank = *rankOf(general.siteRank);
    const int itemsPerColumn = *itemsPerColumnOf(powerPaste.itemsPerColumn);

    const bool filterChanged = applyGeneral(general, rank, config);
    applyMail(mail, config);
    applyPowerPaste(powerPaste, itemsPerColumn, config, properties);
    applyBrowserMenu(browserMenu, config);
    if (applied)
        applied->siteFilterChanged = filterChanged;
    return {};
}

int OptionsModel::standardPort(const QString& security)
{
    const QString name = security.trimmed().toLower();
    if (name == QLatin1String("none") || name.isEmpty())
        return 25;
    if (name == QLatin1String("starttls"))
        return 587;
    if (name == QLatin1String("tls"))
        return 465;
    return 0;
}

int OptionsModel::portAfterSecurityChange(int port, const QString& from, const QString& to)
{
    const int usual = standardPort(to);
    return usual != 0 && port == standardPort(from) ? usual : port;
}

std::optional<qint64> OptionsModel::rankOf(const QString& text)
{
    try {
        return firstInteger(text);
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

QString OptionsModel::normalisedRank(const QString& text)
{
    const std::optional<qint64> rank = rankOf(text);
    return rank ? QString::number(*rank) : text;
}

std::optional<int> OptionsModel::itemsPerColumnOf(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < 1)
        return std::nullopt;
    return value;
}

QString OptionsModel::composeFilterConditions(qint64 rank, bool padEnabled, bool padPolling)
{
    QString conditions;
    if (rank > 1)
        conditions = QLatin1Char('(') + kRatingMark + QString::number(rank) + QStringLiteral(" OR Rating = Null)");
    if (padEnabled)
        conditions = appendCondition(conditions, kPad);
    if (padPolling)
        conditions = appendCondition(conditions, kPollsPad);
    return conditions;
}

bool OptionsModel::filterHoldsPad(const QString& filter)
{
    static const QString polls = QStringLiteral("Polls");
    for (qsizetype at = filter.indexOf(kPad); at >= 0; at = filter.indexOf(kPad, at + 1)) {
        if (at < polls.size() || QStringView(filter).mid(at - polls.size(), polls.size()) != polls)
            return true;
    }
    return false;
}
