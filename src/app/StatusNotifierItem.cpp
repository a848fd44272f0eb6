// The item, its pictures in the wire format (ARGB in network byte order), and the adaptor
// that answers the host on the session bus.
#include "app/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMetaType>
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
public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem* item)
        : QDBusAbstractAdaptor(item)
        , m_item(item)
    {
        connect(item, &StatusNotifierItem::iconChanged, this, &StatusNotifierItemAdaptor::NewIcon);
        connect(item, &StatusNotifierItem::toolTipChanged, this, &StatusNotifierItemAdaptor::NewToolTip);
    }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("nelvox"); }
    QString title() const { return QStringLiteral("Nelvox"); }
    // The alert flashes in the picture itself, so the item never asks for attention.
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString iconName() const { return {}; }
    IconPixmaps iconPixmap() const { return pixmapsOf(m_item->icon()); }
    ToolTip toolTip() const { return { {}, {}, m_item->toolTip(), {} }; }
    bool itemIsMenu() const { return false; }

public slots:
    void Activate(int, int) { emit m_item->activated(); }
    void SecondaryActivate(int, int) { emit m_item->activated(); }
    void ContextMenu(int x, int y) { emit m_item->contextMenuRequested(QPoint(x, y)); }
    void Scroll(int, const QString&) { }

signals:
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem* m_item;
};

StatusNotifierItem::StatusNotifierItem(QObject* parent)
    : QObject(parent)
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

#include "StatusNotifierItem.moc"
