#include "SiteListModel.h"

#include "MessageTranslator.h"
#include "Settings.h"
#include "SubmissionDatabase.h"

#include <QBrush>

namespace {

// Rating texts from a site list are only as sane as the list: a few screens
// of asterisks are enough for any rating.
constexpr int kMaxStars = 100;

const QString kPublished = QStringLiteral("Published");
const QString kSubmitted = QStringLiteral("Submitted");
const QString kNotApplicable = QStringLiteral("NotApplicable");

} // namespace

SiteListModel::SiteListModel(SubmissionDatabase& dm, const Settings& config, QObject* parent)
    : QAbstractTableModel(parent)
    , m_dm(dm)
    , m_config(config)
{
    cacheColumns();
    m_rows = m_dm.sites().fetchedCount();
    m_indicatorRow = m_dm.sites().currentIndex();
    m_background = new QTimer(this);
    m_background->setSingleShot(true);
    connect(m_background, &QTimer::timeout, this, [this] {
        m_dm.sites().fetchMore(BackgroundBatch);
        // The next batch as soon as the events waiting have run.
        m_background->setInterval(0);
        scheduleBackgroundFetch();
    });
    SiteCursor& sites = m_dm.sites();
    connect(&sites, &SiteCursor::rowsReset, this, &SiteListModel::resetRows);
    connect(&sites, &SiteCursor::rowsFetched, this, &SiteListModel::rowsFetched);
    connect(&sites, &SiteCursor::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount())
            Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
    });
    connect(&sites, &SiteCursor::currentChanged, this, &SiteListModel::currentMoved);
    connect(&m_dm, &SubmissionDatabase::programFlagsChanged, this, &SiteListModel::restyleAll);
    startBackgroundFetch();
}

void SiteListModel::scheduleBackgroundFetch()
{
    if (m_dm.sites().canFetchMore() && !m_background->isActive())
        m_background->start();
}

bool SiteListModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_dm.sites().canFetchMore();
}

void SiteListModel::fetchMore(const QModelIndex& parent)
{
    if (!parent.isValid())
        m_dm.sites().fetchMore();
}

void SiteListModel::rowsFetched(int first, int last)
{
    if (first != m_rows) {
        resetRows();
        return;
    }
    beginInsertRows(QModelIndex(), first, last);
    m_rows = last + 1;
    endInsertRows();
}

void SiteListModel::cacheColumns()
{
    const SiteCursor& sites = m_dm.sites();
    m_columns.siteName = sites.columnIndex(QStringLiteral("SiteName"));
    m_columns.hide = sites.columnIndex(QStringLiteral("Hide"));
    m_columns.notes = sites.columnIndex(QStringLiteral("Notes"));
    m_columns.velmoraFriendly = sites.columnIndex(QStringLiteral("VelmoraFriendly"));
    m_columns.pollsPad = sites.columnIndex(QStringLiteral("PollsPAD"));
    m_columns.pad = sites.columnIndex(QStringLiteral("Pad"));
    m_columns.ftp = sites.columnIndex(QStringLiteral("Ftp"));
    m_columns.antiFreeSpeech = sites.columnIndex(QStringLiteral("AntiFreeSpeech"));
    m_columns.rating = sites.columnIndex(QStringLiteral("Rating"));
}

void SiteListModel::resetRows()
{
    beginResetModel();
    cacheColumns();
    m_rows = m_dm.sites().fetchedCount();
    m_indicatorRow = m_dm.sites().currentIndex();
    endResetModel();
    startBackgroundFetch();
}

void SiteListModel::startBackgroundFetch()
{
    // The walk waits until the window is up and the first events are done;
    // nobody scrolls that far in the first moment.
    m_background->stop();
    m_background->setInterval(BackgroundDelayMs);
    scheduleBackgroundFetch();
}

void SiteListModel::currentMoved(int row)
{
    const int previous = m_indicatorRow;
    m_indicatorRow = row;
    if (previous >= 0 && previous < rowCount())
        Q_EMIT headerDataChanged(Qt::Vertical, previous, previous);
    if (row >= 0 && row < rowCount() && row != previous)
        Q_EMIT headerDataChanged(Qt::Vertical, row, row);
}

void SiteListModel::restyleAll()
{
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1),
            {Qt::ForegroundRole, Qt::BackgroundRole, Qt::FontRole});
}

int SiteListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int SiteListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

bool SiteListModel::siteFlag(int row, int column) const
{
    return m_dm.sites().value(row, column).toInt() != 0;
}

SiteListModel::CellStyle SiteListModel::cellStyle(int row) const
{
    CellStyle style;
    if (!m_config.siteEffects || row < 0 || row >= rowCount())
        return style;
    const QString site = m_dm.sites().siteNameAt(row);
    const ProgSiteFlags& flags = m_dm.programFlags();

    QFont font;
    bool fontSet = false;
    if (flags.isSet(site, kPublished))
        style.foreground = publishedColour();
    if (siteFlag(row, m_columns.velmoraFriendly)) {
        font.setBold(true);
        fontSet = true;
    }
    if (siteFlag(row, m_columns.pad)) {
        font.setItalic(true);
        fontSet = true;
    }
    if (siteFlag(row, m_columns.ftp)) {
        font.setUnderline(true);
        fontSet = true;
    }
    if (flags.isSet(site, kSubmitted))
        style.background = submittedBackground();
    if (flags.isSet(site, kNotApplicable)) {
        font.setBold(false);
        font.setItalic(false);
        font.setUnderline(false);
        font.setStrikeOut(true);
        fontSet = true;
        style.foreground = notApplicableColour();
    }
    if (fontSet)
        style.font = font;
    return style;
}

QVariant SiteListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return QVariant();
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == SiteNameColumn)
            return m_dm.sites().value(row, m_columns.siteName).toString();
        else {
            const QVariant hide = m_dm.sites().value(row, m_columns.hide);
            if (hide.isNull())
                return QString();
            // The stored value stays True or False; the cell shows it in the user's language.
            return hide.toInt() != 0 ? translateMsg(QStringLiteral("True")) : translateMsg(QStringLiteral("False"));
        }
    case Qt::ForegroundRole: {
        const CellStyle style = cellStyle(row);
        return style.foreground ? QVariant(QBrush(*style.foreground)) : QVariant();
    }
    case Qt::BackgroundRole: {
        const CellStyle style = cellStyle(row);
        return style.background ? QVariant(QBrush(*style.background)) : QVariant();
    }
    case Qt::FontRole: {
        const CellStyle style = cellStyle(row);
        return style.font ? QVariant(*style.font) : QVariant();
    }
    default:
        return QVariant();
    }
}

QVariant SiteListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_titles.size() ? QVariant(m_titles.at(section)) : QVariant();
    // The row indicator: a marker beside the current site.
    return section == m_indicatorRow ? QStringLiteral("\u25B6") : QString();
}

bool SiteListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || (role != Qt::EditRole && role != Qt::DisplayRole) || section < 0
        || section >= m_titles.size())
        return false;
    m_titles[section] = value.toString();
    Q_EMIT headerDataChanged(Qt::Horizontal, section, section);
    return true;
}

void SiteListModel::languageChanged()
{
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, HideColumn), index(rowCount() - 1, HideColumn), {Qt::DisplayRole});
}

Qt::ItemFlags SiteListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QString SiteListModel::joinWithComma(const QString& text, const QString& hint)
{
    if (text.isEmpty())
        return hint;
    return text + QLatin1Char(',') + hint;
}

QString SiteListModel::ratingStars(int rating)
{
    if (rating == 0)
        return QStringLiteral("na");
    if (rating < 0)
        return QString();
    return QString(std::min(rating, kMaxStars), QLatin1Char('*'));
}

QString SiteListModel::infoText(int row) const
{
    if (row < 0 || row >= rowCount())
        return QString();
    QString text = m_dm.sites().value(row, m_columns.notes).toString();
    const bool pollsPad = siteFlag(row, m_columns.pollsPad);
    if (siteFlag(row, m_columns.velmoraFriendly))
        text = joinWithComma(text, translateMsg(QStringLiteral("velmora friendly")));
    if (pollsPad)
        text = joinWithComma(text, translateMsg(QStringLiteral("PAD polling")));
    if (siteFlag(row, m_columns.pad) && !pollsPad)
        text = joinWithComma(text, translateMsg(QStringLiteral("PAD enabled")));
    if (siteFlag(row, m_columns.ftp))
        text = joinWithComma(text, translateMsg(QStringLiteral("allow file hosting")));
    if (siteFlag(row, m_columns.antiFreeSpeech))
        text = joinWithComma(text, translateMsg(QStringLiteral("blacklists authors for the views they express")));
    return text;
}
