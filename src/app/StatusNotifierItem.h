// The tray icon spoken over D-Bus (the StatusNotifierItem protocol of KDE Plasma, GNOME's
// AppIndicator extension and XFCE), for a tray host that comes up after Nelvox has started:
// Qt decides once per program whether its tray icons use D-Bus, at the first icon.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>

class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    explicit StatusNotifierItem(QObject* parent = nullptr);
    ~StatusNotifierItem() override;
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    // Puts the item on the session bus and registers it with the tray host's watcher; false
    // when there is no session bus or no watcher takes it.
    bool registerItem();
    // The name under which the item is on the session bus, once registered.
    const QString& serviceName() const { return m_serviceName; }

    void setIcon(const QIcon& icon);
    void setToolTip(const QString& text);

    // What the host asks for, read by the bus adaptor.
    const QIcon& icon() const { return m_icon; }
    const QString& toolTip() const { return m_toolTip; }

signals:
    // A click on the item.
    void activated();
    // A right click: the host asks for the menu at this place on the screen.
    void contextMenuRequested(const QPoint& where);
    // For the bus adaptor.
    void iconChanged();
    void toolTipChanged();

private:
    QIcon m_icon;
    QString m_toolTip;
    QString m_serviceName;
};
