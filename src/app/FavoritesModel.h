// The favorites list as the main window shows it: the four columns with their headings, widths
// and alignment; and a favorite whose last check failed gets a warning sign at the start of its
// Web Site cell, whose tooltip says what failed, since when and when the page was last fetched.
// The list itself stays as it is.
#pragma once

#include <QIcon>
#include <QIdentityProxyModel>

class FavoriteStates;
class FavoritesList;

class FavoritesModel : public QIdentityProxyModel {
public:
    FavoritesModel(FavoritesList& list, const FavoriteStates& states, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The width in pixels that a column is laid out with.
    static int columnWidth(int column);
    // The states have changed: the marks are drawn again.
    void refresh();

    // "Last check failed 3 times in a row since 12/07/26 05:00 PM: HTTP 404 Not Found" and when
    // the page was last fetched; empty for a favorite whose last check did not fail.
    static QString FailureText(const FavoriteStates& states, const QString& address);

private:
    const FavoriteStates& m_states;
    QIcon m_warning;
};
