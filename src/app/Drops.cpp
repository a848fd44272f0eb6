// What is dropped on the window: an address opens Add with it, a bookmarks file the Import
// chooser; and the commands that run once the event that asked for them has ended.
#include "app/CNelvoxDlg.h"

#include "store/Bookmarks.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

// The one address a drop carries, as the uri-list or the text gives it: an http, https or file
// address without blanks. Empty for anything else, several addresses included.
QString droppedAddress(const QMimeData& data)
{
    QStringList lines;
    if (data.hasFormat(QStringLiteral("text/uri-list"))) {
        for (const QByteArray& line : data.data(QStringLiteral("text/uri-list")).split('\n')) {
            if (!line.trimmed().isEmpty() && !line.startsWith('#'))
                lines << QString::fromUtf8(line.trimmed());
        }
    } else if (data.hasText()) {
        lines << data.text().trimmed();
    }
    if (lines.size() != 1 || !BookmarkRefusal(lines.first()).isEmpty())
        return {};
    const QString scheme = QUrl(lines.first()).scheme().toLower();
    return scheme == u"http" || scheme == u"https" || scheme == u"file" ? lines.first() : QString();
}

// The local file that a dropped address names, when it is a bookmarks HTML file.
QString droppedBookmarks(const QString& address)
{
    const QUrl url(address);
    return url.isLocalFile() && IsBookmarksHtml(url.toLocalFile()) ? url.toLocalFile() : QString();
}

} // namespace

void CNelvoxDlg::runLater(std::function<void()> command)
{
    QMetaObject::invokeMethod(
        this,
        [this, command = std::move(command)] {
            if (!isRunInProgress() && !isCommandUnderWay() && !m_ended)
                RunCommand(command);
        },
        Qt::QueuedConnection);
}

void CNelvoxDlg::dragEnterEvent(QDragEnterEvent* event)
{
    // While a run or another command is under way the window takes nothing.
    if (!isRunInProgress() && !isCommandUnderWay() && !droppedAddress(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CNelvoxDlg::dragMoveEvent(QDragMoveEvent* event)
{
    if (!isRunInProgress() && !isCommandUnderWay())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CNelvoxDlg::dropEvent(QDropEvent* event)
{
    const QString address = droppedAddress(*event->mimeData());
    if (address.isEmpty() || isRunInProgress() || isCommandUnderWay())
        return;
    event->acceptProposedAction();
    // The source of the drag waits for the drop to end; the dialogs open after it has.
    if (const QString bookmarks = droppedBookmarks(address); !bookmarks.isEmpty())
        runLater([this, bookmarks] { m_commands.importFrom(bookmarks); });
    else
        runLater([this, address] { m_commands.add(address); });
}
