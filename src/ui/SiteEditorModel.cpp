#include "SiteEditorModel.h"

#include <QFont>

SiteEditorModel::SiteEditorModel(SiteEditState& state, QObject* parent)
    : QAbstractTableModel(parent)
    , m_state(state)
{
    m_indicatorRow = m_state.currentRow();
    connect(&m_state, &SiteEditState::rowsReset, this, [this] {
        beginResetModel();
        m_indicatorRow = m_state.currentRow();
        endResetModel();
    });
    connect(&m_state, &SiteEditState::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount())
            Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(&m_state, &SiteEditState::currentChanged, this, &SiteEditorModel::indicatorMoved);
    connect(&m_state, &SiteEditState::modeChanged, this, [this] { indicatorMoved(m_state.currentRow()); });
}

void SiteEditorModel::indicatorMoved(int row)
{
    const int previous = m_indicatorRow;
    m_indicatorRow = row;
    if (previous >= 0 && previous < rowCount())
        Q_EMIT headerDataChanged(Qt::Vertical, previous, previous);
    if (row >= 0 && row < rowCount())
        Q_EMIT headerDataChanged(Qt::Vertical, row, row);
}

int SiteEditorModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_state.rowCount();
}

int SiteEditorModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_state.fields().count();
}

QVariant SiteEditorModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: {
        // A cell is one line high: the lines of a memo follow each other in it.
        QString text = m_state.text(index.row(), index.column());
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" \u00B6 "));
        text.replace(QLatin1Char('\n'), QStringLiteral(" \u00B6 "));
        text.replace(QLatin1Char('\r'), QStringLiteral(" \u00B6 "));
        return text;
    }
    case Qt::EditRole:
        return m_state.text(index.row(), index.column());
    case Qt::FontRole:
        if (m_state.isTyped(index.row(), index.column())) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return QVariant();
    case KindRole:
        return static_cast<int>(m_state.fields().at(index.column()).kind);
    case MaxLengthRole:
        return m_state.fields().at(index.column()).maxLength;
    default:
        return QVariant();
    }
}

bool SiteEditorModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    return m_state.setText(index.row(), index.column(), value.toString());
}

QVariant SiteEditorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < columnCount() ? m_state.fields().at(section).name : QVariant();
    if (section != m_state.currentRow())
        return QString();
    switch (m_state.mode()) {
    case SiteEditState::Mode::Browse:
        return QStringLiteral("\u25B6");
    case SiteEditState::Mode::Edit:
        return QStringLiteral("I");
    case SiteEditState::Mode::Insert:
        return QStringLiteral("*");
    }
    return QString();
}

Qt::ItemFlags SiteEditorModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}
