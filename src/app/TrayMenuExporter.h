// The tray icon's menu on the session bus, for tray hosts that draw an item's menu themselves
// (KDE Plasma, GNOME's AppIndicator extension): the com.canonical.dbusmenu interface, with the
// menu's items, their captions and states, and a host's click on an item triggering its action.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

class QAction;
class QMenu;

// A QDBusContext so that the bus adaptor can answer a call with an error.
class TrayMenuExporter : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    // The id a host knows the menu itself by; its items count up from 1.
    static constexpr int kRootId = 0;

    explicit TrayMenuExporter(QMenu* menu, QObject* parent = nullptr);
    ~TrayMenuExporter() override;
    TrayMenuExporter(const TrayMenuExporter&) = delete;
    TrayMenuExporter& operator=(const TrayMenuExporter&) = delete;

    // Puts the menu on `bus` at `path`; false when the path is taken or the bus is not there.
    bool exportOn(const QDBusConnection& bus, const QString& path);
    // Where the menu is on the bus, once exported.
    const QString& path() const { return m_path; }

    // What the bus adaptor reads. The menu's items in their order, separators included.
    QList<QAction*> items() const;
    // An item's id, which stays the same for as long as the item is in the menu.
    int idOf(QAction* action) const { return m_ids.value(action, -1); }
    // The item with this id, or null.
    QAction* itemOf(int id) const;
    // Bumped whenever an item comes, goes or changes.
    uint revision() const { return m_revision; }
    // An item's properties as a host reads them, the ones named in `names` or all when it is empty.
    static QVariantMap propertiesOf(const QAction* action, const QStringList& names);
    // The menu's own properties.
    static QVariantMap rootProperties(const QStringList& names);
    // A host's click: the item's action is triggered once the host has its answer. False when no
    // item has this id.
    bool click(int id);
    // Whether `id` names the menu or one of its items; when it does not, the host's call is
    // answered with an error.
    bool checkId(int id);

signals:
    // The menu's items changed; the host reads them again from `parentId` down.
    void layoutChanged(uint revision, int parentId);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void track(QAction* action);
    void changed();

    QPointer<QMenu> m_menu;
    QHash<QAction*, int> m_ids;
    QHash<int, QAction*> m_actions;
    int m_nextId = kRootId + 1;
    uint m_revision = 1;
    QString m_path;
    QString m_connectionName;
};
