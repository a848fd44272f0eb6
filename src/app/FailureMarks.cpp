// The failure marks of the main window's list.
#include "app/FailureMarks.h"

#include "platform/Clock.h"
#include "store/FavoriteStates.h"
#include "store/FavoritesList.h"

#include <QApplication>
#include <QStyle>

FailureMarks::FailureMarks(FavoritesList& list, const FavoriteStates& states, QObject* parent)
    : QIdentityProxyModel(parent)
    , m_states(states)
    , m_warning(QIcon::fromTheme(
          QStringLiteral("dialog-warning"), QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning)))
{
    setSourceModel(&list);
}

QVariant FailureMarks::data(const QModelIndex& index, int role) const
{
    if (index.column() == FavoritesList::WebSite && (role == Qt::DecorationRole || role == Qt::ToolTipRole)) {
        const QString address = QIdentityProxyModel::data(index, Qt::DisplayRole).toString();
        if (const QString failure = FailureText(m_states, address); !failure.isEmpty())
            return role == Qt::DecorationRole ? QVariant(m_warning) : QVariant(address + u'\n' + failure);
    }
    return QIdentityProxyModel::data(index, role);
}

void FailureMarks::refresh()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, FavoritesList::WebSite), index(rowCount() - 1, FavoritesList::WebSite),
            { Qt::DecorationRole, Qt::ToolTipRole });
}

QString FailureMarks::FailureText(const FavoriteStates& states, const QString& address)
{
    const FavoriteState* state = states.find(address);
    if (!state || !state->isFailing())
        return {};
    const QString since
        = Clock::FormatTimeStamp((state->failingSince.isValid() ? state->failingSince : state->checked).toLocalTime());
    QString text = state->failuresInARow > 1
        ? QStringLiteral("Last check failed %1 times in a row since %2: %3").arg(state->failuresInARow).arg(since)
        : QStringLiteral("Last check failed at %1: %2").arg(since);
    text = text.arg(state->failure);
    text += state->fetched.isValid()
        ? QStringLiteral("\nThe page was last fetched %1.").arg(Clock::FormatTimeStamp(state->fetched.toLocalTime()))
        : QStringLiteral("\nThe page has not been fetched yet.");
    return text;
}
