// The favorites list as the main window shows it: the four columns with their headings, widths,
// alignment and the text of each favorite's values; and a favorite whose last check failed gets a warning sign at the
// start of its Web Site cell, whose tooltip says what failed, since when and when the page was last fetched. The list
// itself stays as it is.
#pragma once

#include <QIcon>
#include <QIdentityProxyModel>

class FavoriteStates;
class FavoritesList;
struct Favorite;

class FavoritesModel : public QIdentityProxyModel {
    Q_OBJECT
public:
    FavoritesModel(FavoritesList& list, const FavoriteStates& states, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The width in pixels that a column is laid out with.
    static int columnWidth(int column);
    // What the list shows of `favorite` in `column`: the file's text where it kept text that is
    // no value, otherwise the value's own text ("12/06/26 02:35 AM", "Never", "YES").
    static QString cellText(const Favorite& favorite, int column);
    // The states have changed: the marks are drawn again.
    void refresh();

    // "Last check failed 3 times in a row since 12/07/26 05:00 PM: HTTP 404 Not Found" and when
    // the page was last fetched; empty for a favorite whose last check did not fail.
    static QString FailureText(const FavoriteStates& states, const QString& address);

private:
    const FavoritesList& m_list;
    const FavoriteStates& m_states;
    QIcon m_warning;
};
