// The menu's items in the wire format of com.canonical.dbusmenu, and the adaptor that answers
// the host: the menu's layout, its items' properties, and the clicks on them.
#include "app/TrayMenuExporter.h"

#include <QAction>
#include <QActionEvent>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QMenu>

namespace {

// An item and the items under it, as GetLayout sends them: (ia{sv}av), each child a variant
// that holds an item of the same shape.
struct MenuLayoutItem {
    int id = 0;
    QVariantMap properties;
    QList<MenuLayoutItem> children;
};

// An item's properties, as GetGroupProperties sends them: (ia{sv}).
struct MenuItemProperties {
    int id = 0;
    QVariantMap properties;
};

// One of the events that EventGroup brings: (isvu).
struct MenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};

} // namespace

Q_DECLARE_METATYPE(MenuLayoutItem)
Q_DECLARE_METATYPE(MenuItemProperties)
Q_DECLARE_METATYPE(MenuEvent)

namespace {

QDBusArgument& operator<<(QDBusArgument& argument, const MenuLayoutItem& item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const MenuLayoutItem& child : item.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

// The menu only sends layouts; reading one is for the type's registration alone.
const QDBusArgument& operator>>(const QDBusArgument& argument, MenuLayoutItem& item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        item.children.append(qdbus_cast<MenuLayoutItem>(child.variant()));
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuItemProperties& item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuItemProperties& item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const MenuEvent& event)
{
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuEvent& event)
{
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

// A menu caption as the host draws it: the access key is marked with '_' instead of '&', a
// '_' of the caption's own is doubled, and a shortcut after a tab is left to the program.
QString hostLabel(const QString& text)
{
    const QString caption = text.section(QLatin1Char('\t'), 0, 0);
    QString label;
    label.reserve(caption.size() + 1);
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption[i];
        if (c == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
                label += QLatin1Char('&');
                ++i;
            } else if (i + 1 < caption.size()) {
                label += QLatin1Char('_');
            }
        } else if (c == QLatin1Char('_')) {
            label += QStringLiteral("__");
        } else {
            label += c;
        }
    }
    return label;
}

QVariantMap only(const QVariantMap& properties, const QStringList& names)
{
    if (names.isEmpty())
        return properties;
    QVariantMap wanted;
    for (const QString& name : names) {
        if (properties.contains(name))
            wanted.insert(name, properties.value(name));
    }
    return wanted;
}

const QString kUnknownId = QStringLiteral("com.canonical.dbusmenu.UnknownId");

} // namespace

// Answers the host. A call with an id that names no item gets an error, as hosts expect.
class TrayMenuAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)
public:
    explicit TrayMenuAdaptor(TrayMenuExporter* menu)
        : QDBusAbstractAdaptor(menu)
        , m_menu(menu)
    {
        connect(menu, &TrayMenuExporter::layoutChanged, this, &TrayMenuAdaptor::LayoutUpdated);
    }

    uint version() const { return 3; }
    QString textDirection() const
    {
        return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr");
    }
    // "notice" would ask the host to show the menu more prominently; the alert is the icon's.
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames, MenuLayoutItem& layout)
    {
        layout.id = parentId;
        if (parentId == TrayMenuExporter::kRootId) {
            layout.properties = TrayMenuExporter::rootProperties(propertyNames);
            if (recursionDepth != 0) {
                for (QAction* action : m_menu->items())
                    layout.children.append(
                        { m_menu->idOf(action), TrayMenuExporter::propertiesOf(action, propertyNames), {} });
            }
        } else if (m_menu->checkId(parentId)) {
            layout.properties = TrayMenuExporter::propertiesOf(m_menu->itemOf(parentId), propertyNames);
        }
        return m_menu->revision();
    }

    QList<MenuItemProperties> GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames)
    {
        QList<MenuItemProperties> items;
        if (ids.isEmpty()) {
            for (QAction* action : m_menu->items())
                items.append({ m_menu->idOf(action), TrayMenuExporter::propertiesOf(action, propertyNames) });
        }
        for (const int id : ids) {
            if (id == TrayMenuExporter::kRootId)
                items.append({ id, TrayMenuExporter::rootProperties(propertyNames) });
            else if (const QAction* action = m_menu->itemOf(id))
                items.append({ id, TrayMenuExporter::propertiesOf(action, propertyNames) });
        }
        return items;
    }

    QDBusVariant GetProperty(int id, const QString& name)
    {
        QVariantMap properties;
        if (id == TrayMenuExporter::kRootId)
            properties = TrayMenuExporter::rootProperties({ name });
        else if (m_menu->checkId(id))
            properties = TrayMenuExporter::propertiesOf(m_menu->itemOf(id), { name });
        return QDBusVariant(properties.value(name, QString()));
    }

    void Event(int id, const QString& eventId, const QDBusVariant&, uint)
    {
        if (m_menu->checkId(id) && eventId == QLatin1String("clicked"))
            m_menu->click(id);
    }

    QList<int> EventGroup(const QList<MenuEvent>& events)
    {
        QList<int> idErrors;
        for (const MenuEvent& event : events) {
            if (event.id != TrayMenuExporter::kRootId && !m_menu->itemOf(event.id))
                idErrors.append(event.id);
            else if (event.eventId == QLatin1String("clicked"))
                m_menu->click(event.id);
        }
        return idErrors;
    }

    // The menu's items are always up to date, so the host never needs to read them again first.
    bool AboutToShow(int id)
    {
        m_menu->checkId(id);
        return false;
    }

    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors)
    {
        for (const int id : ids) {
            if (id != TrayMenuExporter::kRootId && !m_menu->itemOf(id))
                idErrors.append(id);
        }
        return {};
    }

signals:
    void LayoutUpdated(uint revision, int parent);

private:
    TrayMenuExporter* m_menu;
};

TrayMenuExporter::TrayMenuExporter(QMenu* menu, QObject* parent)
    : QObject(parent)
    , m_menu(menu)
{
    qDBusRegisterMetaType<MenuLayoutItem>();
    qDBusRegisterMetaType<MenuItemProperties>();
    qDBusRegisterMetaType<QList<MenuItemProperties>>();
    qDBusRegisterMetaType<MenuEvent>();
    qDBusRegisterMetaType<QList<MenuEvent>>();
    // The bus finds a slot's argument types by their names as the slot spells them.
    qRegisterMetaType<QList<MenuEvent>>("QList<MenuEvent>");
    new TrayMenuAdaptor(this);
    for (QAction* action : menu->actions())
        track(action);
    menu->installEventFilter(this);
}

TrayMenuExporter::~TrayMenuExporter()
{
    if (!m_path.isEmpty())
        QDBusConnection(m_connectionName).unregisterObject(m_path);
    if (m_menu)
        m_menu->removeEventFilter(this);
}

bool TrayMenuExporter::exportOn(const QDBusConnection& bus, const QString& path)
{
    if (!m_path.isEmpty())
        return true;
    QDBusConnection connection(bus);
    if (!connection.isConnected() || !connection.registerObject(path, this, QDBusConnection::ExportAdaptors))
        return false;
    m_path = path;
    m_connectionName = connection.name();
    return true;
}

QList<QAction*> TrayMenuExporter::items() const
{
    return m_menu ? m_menu->actions() : QList<QAction*>();
}

QAction* TrayMenuExporter::itemOf(int id) const
{
    return m_actions.value(id, nullptr);
}

QVariantMap TrayMenuExporter::propertiesOf(const QAction* action, const QStringList& names)
{
    QVariantMap properties;
    if (action->isSeparator())
        properties.insert(QStringLiteral("type"), QStringLiteral("separator"));
    else
        properties.insert(QStringLiteral("label"), hostLabel(action->text()));
    properties.insert(QStringLiteral("enabled"), action->isEnabled());
    properties.insert(QStringLiteral("visible"), action->isVisible());
    return only(properties, names);
}

QVariantMap TrayMenuExporter::rootProperties(const QStringList& names)
{
    return only({ { QStringLiteral("children-display"), QStringLiteral("submenu") } }, names);
}

bool TrayMenuExporter::click(int id)
{
    QAction* action = itemOf(id);
    if (!action)
        return false;
    // The action may open a modal dialog; the host must not wait for it to close. A disabled
    // action ignores the trigger itself; a hidden one would not.
    if (action->isVisible())
        QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
    return true;
}

bool TrayMenuExporter::checkId(int id)
{
    if (id == kRootId || itemOf(id))
        return true;
    if (calledFromDBus())
        sendErrorReply(kUnknownId, QStringLiteral("No menu item has the id %1").arg(id));
    return false;
}

bool TrayMenuExporter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_menu) {
        switch (event->type()) {
        case QEvent::ActionAdded:
            track(static_cast<QActionEvent*>(event)->action());
            changed();
            break;
        case QEvent::ActionRemoved:
            if (QAction* action = static_cast<QActionEvent*>(event)->action())
                m_actions.remove(m_ids.take(action));
            changed();
            break;
        case QEvent::ActionChanged:
            changed();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TrayMenuExporter::track(QAction* action)
{
    if (!action || m_ids.contains(action))
        return;
    m_ids.insert(action, m_nextId);
    m_actions.insert(m_nextId, action);
    ++m_nextId;
}

void TrayMenuExporter::changed()
{
    ++m_revision;
    emit layoutChanged(m_revision, kRootId);
}

#include "TrayMenuExporter.moc"
