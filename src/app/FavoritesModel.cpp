// The main window's list: its columns and failure marks.
#include "app/FavoritesModel.h"

#include "platform/Clock.h"
#include "platform/Reasons.h"
#include "store/FavoriteStates.h"
#include "store/FavoritesList.h"

#include <QApplication>
#include <QStyle>

FavoritesModel::FavoritesModel(FavoritesList& list, const FavoriteStates& states, QObject* parent)
    : QIdentityProxyModel(parent)
    , m_list(list)
    , m_states(states)
    , m_warning(QIcon::fromTheme(
          QStringLiteral("dialog-warning"), QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning)))
{
    setSourceModel(&list);
}

namespace {

Qt::Alignment alignment(int column)
{
    switch (column) {
    case FavoritesList::WebSite:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case FavoritesList::Updates:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignRight | Qt::AlignVCenter;
    }
}

} // namespace

QVariant FavoritesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const kHeadings[FavoritesList::ColumnCount]
        = { QT_TR_NOOP("Web Site"), QT_TR_NOOP("Updates"), QT_TR_NOOP("Last Updated"),
              //: The heading of the column that shows YES for a changed page
              QT_TR_NOOP("CHANGED") };
    if (orientation != Qt::Horizontal || section < 0 || section >= FavoritesList::ColumnCount)
        return QIdentityProxyModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return tr(kHeadings[section]);
    if (role == Qt::TextAlignmentRole)
        return int(alignment(section));
    return {};
}

int FavoritesModel::columnWidth(int column)
{
    static const int kWidths[FavoritesList::ColumnCount] = { 254, 75, 85, 65 };
    return (column >= 0 && column < FavoritesList::ColumnCount) ? kWidths[column] : 0;
}

QVariant FavoritesModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::TextAlignmentRole && index.isValid())
        return int(alignment(index.column()));
    if (role == Qt::DisplayRole && index.isValid() && index.row() < m_list.count())
        return cellText(m_list.at(index.row()), index.column());
    if (index.column() == FavoritesList::WebSite && (role == Qt::DecorationRole || role == Qt::ToolTipRole)) {
        const QString address = QIdentityProxyModel::data(index, Qt::DisplayRole).toString();
        if (const QString failure = FailureText(m_states, address); !failure.isEmpty())
            return role == Qt::DecorationRole ? QVariant(m_warning) : QVariant(address + u'\n' + failure);
    }
    return QIdentityProxyModel::data(index, role);
}

QString FavoritesModel::cellText(const Favorite& favorite, int column)
{
    switch (column) {
    case FavoritesList::WebSite:
        return favorite.address;
    case FavoritesList::Updates:
        return favorite.frequencyText();
    case FavoritesList::LastUpdated:
        if (favorite.unreadLastUpdated)
            return *favorite.unreadLastUpdated;
        return favorite.lastUpdated.isValid() ? Clock::FormatTimeStamp(favorite.lastUpdated) : tr("Never");
    case FavoritesList::Changed:
        //: Shown in the CHANGED column of a changed page
        return favorite.changed ? tr("YES") : QString();
    default:
        return {};
    }
}

void FavoritesModel::refresh()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, FavoritesList::WebSite), index(rowCount() - 1, FavoritesList::WebSite),
            { Qt::DecorationRole, Qt::ToolTipRole });
}

QString FavoritesModel::FailureText(const FavoriteStates& states, const QString& address)
{
    const FavoriteState* state = states.find(address);
    if (!state || !state->isFailing())
        return {};
    const QString since
        = Clock::FormatTimeStamp((state->failingSince.isValid() ? state->failingSince : state->checked).toLocalTime());
    QString text = state->failuresInARow > 1
        ? tr("Last check failed %1 times in a row since %2: %3").arg(state->failuresInARow).arg(since)
        : tr("Last check failed at %1: %2").arg(since);
    // The state file keeps the reason in English; the known ones are shown in the user's language.
    text = text.arg(Reasons::Translated(state->failure));
    text += state->fetched.isValid()
        ? tr("\nThe page was last fetched %1.").arg(Clock::FormatTimeStamp(state->fetched.toLocalTime()))
        : tr("\nThe page has not been fetched yet.");
    return text;
}
