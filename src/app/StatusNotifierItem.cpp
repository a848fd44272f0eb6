// The item, its pictures in the wire format (ARGB in network byte order), and the adaptor
// that answers the host on the session bus.
#include "app/StatusNotifierItem.h"

#include "app/TrayMenuExporter.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QImage>
#include <QtEndian>

namespace {

struct IconPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using IconPixmaps = QList<IconPixmap>;

struct ToolTip {
    QString iconName;
    IconPixmaps pixmaps;
    QString title;
    QString text;
};

} // namespace

Q_DECLARE_METATYPE(IconPixmap)
Q_DECLARE_METATYPE(ToolTip)

namespace {

QDBusArgument& operator<<(QDBusArgument& argument, const IconPixmap& pixmap)
{
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.argb;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, IconPixmap& pixmap)
{
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.argb;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const ToolTip& tip)
{
    argument.beginStructure();
    argument << tip.iconName << tip.pixmaps << tip.title << tip.text;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ToolTip& tip)
{
    argument.beginStructure();
    argument >> tip.iconName >> tip.pixmaps >> tip.title >> tip.text;
    argument.endStructure();
    return argument;
}

IconPixmaps pixmapsOf(const QIcon& icon)
{
    IconPixmaps pixmaps;
    for (const int side : { 16, 22, 32 }) {
        const QImage image = icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        IconPixmap pixmap { image.width(), image.height(), {} };
        pixmap.argb.resize(static_cast<qsizetype>(image.width()) * image.height() * 4);
        auto* out = reinterpret_cast<quint32*>(pixmap.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *out++ = qToBigEndian(line[x]);
        }
        pixmaps.append(pixmap);
    }
    return pixmaps;
}

} // namespace

// Answers the host: the item's properties, the clicks, and the signals that tell the host to
// read a property again.
class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(IconPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ iconName)
    Q_PROPERTY(QString AttentionIconName READ iconName)
    Q_PROPERTY(IconPixmaps AttentionIconPixmap READ iconPixmap)
    Q_PROPERTY(ToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem* item)
        : QDBusAbstractAdaptor(item)
        , m_item(item)
    {
        connect(item, &StatusNotifierItem::iconChanged, this, &StatusNotifierItemAdaptor::NewIcon);
        connect(item, &StatusNotifierItem::toolTipChanged, this, &StatusNotifierItemAdaptor::NewToolTip);
        // The picture for attention is the icon itself, flashing with it: a host that shows it
        // reads it again on each swap.
        connect(item, &StatusNotifierItem::iconChanged, this, [this] {
            if (m_item->needsAttention())
                emit NewAttentionIcon();
        });
        connect(item, &StatusNotifierItem::needsAttentionChanged, this, [this] {
            emit NewStatus(status());
            emit NewAttentionIcon();
        });
    }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("nelvox"); }
    QString title() const { return QStringLiteral("Nelvox"); }
    // Hosts may tuck away items that do not ask for attention (Plasma's hidden area), where a
    // flashing icon tells nobody anything: while the alert is on, the item asks for attention.
    QString status() const
    {
        return m_item->needsAttention() ? QStringLiteral("NeedsAttention") : QStringLiteral("Active");
    }
    int windowId() const { return 0; }
    QString iconName() const { return {}; }
    IconPixmaps iconPixmap() const { return pixmapsOf(m_item->icon()); }
    ToolTip toolTip() const { return { {}, {}, m_item->toolTip(), {} }; }
    bool itemIsMenu() const { return false; }
    // Hosts take this path to mean that the item has no menu of its own on the bus.
    QDBusObjectPath menu() const
    {
        const QString path = m_item->menuPath();
        return QDBusObjectPath(path.isEmpty() ? QStringLiteral("/NO_DBUSMENU") : path);
    }

public slots:
    void Activate(int, int) { emit m_item->activated(); }
    void SecondaryActivate(int, int) { emit m_item->activated(); }
    void ContextMenu(int x, int y) { emit m_item->contextMenuRequested(QPoint(x, y)); }
    void Scroll(int, const QString&) { }

signals:
    void NewIcon();
    void NewToolTip();
    void NewAttentionIcon();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem* m_item;
};

StatusNotifierItem::StatusNotifierItem(QMenu* menu, QObject* parent)
    : QObject(parent)
    , m_menu(menu ? std::make_unique<TrayMenuExporter>(menu) : nullptr)
{
    qDBusRegisterMetaType<IconPixmap>();
    qDBusRegisterMetaType<IconPixmaps>();
    qDBusRegisterMetaType<ToolTip>();
    new StatusNotifierItemAdaptor(this);
}

StatusNotifierItem::~StatusNotifierItem()
{
    if (!m_serviceName.isEmpty()) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QStringLiteral("/StatusNotifierItem"));
        bus.unregisterService(m_serviceName);
    }
}

bool StatusNotifierItem::registerItem()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (m_serviceName.isEmpty()) {
        const QString name = QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid());
        if (!bus.registerService(name))
            return false;
        if (!bus.registerObject(QStringLiteral("/StatusNotifierItem"), this, QDBusConnection::ExportAdaptors)) {
            bus.unregisterService(name);
            return false;
        }
        // Without its menu the item still shows, and the host asks the program for the menu.
        if (m_menu && !m_menu->exportOn(bus, kMenuPath))
            m_menu.reset();
        m_serviceName = name;
    }
    QDBusInterface watcher(QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.kde.StatusNotifierWatcher"), bus);
    const QDBusMessage reply = watcher.call(QStringLiteral("RegisterStatusNotifierItem"), m_serviceName);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void StatusNotifierItem::setIcon(const QIcon& icon)
{
    m_icon = icon;
    emit iconChanged();
}

void StatusNotifierItem::setToolTip(const QString& text)
{
    m_toolTip = text;
    emit toolTipChanged();
}

void StatusNotifierItem::setNeedsAttention(bool needsAttention)
{
    if (needsAttention == m_needsAttention)
        return;
    m_needsAttention = needsAttention;
    emit needsAttentionChanged();
}

QString StatusNotifierItem::menuPath() const
{
    return m_menu ? m_menu->path() : QString();
}

#include "StatusNotifierItem.moc"
