// The tray icon spoken over D-Bus (the StatusNotifierItem protocol of KDE Plasma, GNOME's
// AppIndicator extension and XFCE), for a tray host that comes up after Nelvox has started:
// Qt decides once per program whether its tray icons use D-Bus, at the first icon.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>

#include <memory>

class QMenu;
class TrayMenuExporter;

class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    // Where the item's menu is on the bus.
    static inline const QString kMenuPath = QStringLiteral("/MenuBar");

    // With a menu, the host can draw the menu itself and show it without asking the program.
    explicit StatusNotifierItem(QMenu* menu = nullptr, QObject* parent = nullptr);
    ~StatusNotifierItem() override;
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    // Puts the item and its menu on the session bus and registers the item with the tray host's
    // watcher; false when there is no session bus or no watcher takes it.
    bool registerItem();
    // The name under which the item is on the session bus, once registered.
    const QString& serviceName() const { return m_serviceName; }

    void setIcon(const QIcon& icon);
    void setToolTip(const QString& text);
    // While the item asks for attention, hosts may show it where they would otherwise not.
    void setNeedsAttention(bool needsAttention);

    // What the host asks for, read by the bus adaptor.
    const QIcon& icon() const { return m_icon; }
    const QString& toolTip() const { return m_toolTip; }
    bool needsAttention() const { return m_needsAttention; }
    // The menu's place on the bus, or empty when the item has no menu.
    QString menuPath() const;

signals:
    // A click on the item.
    void activated();
    // A right click: the host asks for the menu at this place on the screen.
    void contextMenuRequested(const QPoint& where);
    // For the bus adaptor.
    void iconChanged();
    void toolTipChanged();
    void needsAttentionChanged();

private:
    QIcon m_icon;
    bool m_needsAttention = false;
    QString m_toolTip;
    QString m_serviceName;
    std::unique_ptr<TrayMenuExporter> m_menu;
};
