// The waits servers asked for, each kept for its own scheme, host and port.
#include "platform/HostWaits.h"

#include "platform/Clock.h"
#include "platform/ParsedUrl.h"
#include "platform/Reasons.h"

#include <curl/curl.h>

#include <algorithm>

QString HostWaits::ServerOf(const QByteArray& url)
{
    const ParsedUrl parsed(url, CURLU_DEFAULT_SCHEME | CURLU_NON_SUPPORT_SCHEME);
    const QByteArray host = parsed.part(CURLUPART_HOST);
    if (host.isEmpty())
        return QString::fromUtf8(url);
    return QStringLiteral("%1://%2:%3")
        .arg(QString::fromUtf8(parsed.part(CURLUPART_SCHEME)).toLower(), QString::fromUtf8(host).toLower(),
            QString::fromUtf8(parsed.part(CURLUPART_PORT, CURLU_DEFAULT_PORT)));
}

QString HostWaits::Message(const QDateTime& until)
{
    return QString::fromLatin1(Reasons::kServerAskedToWait).arg(Clock::FormatTimeStamp(until.toLocalTime()));
}

QDateTime HostWaits::record(
    const QString& server, const QByteArray& retryAfter, const QDateTime& now, qint64 maxSeconds)
{
    const QDateTime from = now.toUTC();
    bool isNumber = false;
    const qint64 seconds = retryAfter.toLongLong(&isNumber);
    QDateTime until;
    if (isNumber && seconds >= 0)
        until = from.addSecs(std::min(seconds, maxSeconds));
    else
        until = QDateTime::fromString(QString::fromLatin1(retryAfter), Qt::RFC2822Date);
    if (!until.isValid())
        return {};
    until = std::min(until.toUTC(), from.addSecs(maxSeconds));
    if (until <= from)
        return {};
    m_until.insert(server, until);
    return until;
}

QDateTime HostWaits::until(const QString& server, const QDateTime& now)
{
    const auto found = m_until.constFind(server);
    if (found == m_until.cend())
        return {};
    if (now.toUTC() >= *found) {
        m_until.remove(server);
        return {};
    }
    return *found;
}
