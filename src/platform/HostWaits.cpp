// The waits servers asked for, each kept for its own scheme, host and port.
#include "platform/HostWaits.h"

#include "platform/Clock.h"
#include "platform/Reasons.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

namespace {

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

QString part(CURLU* url, CURLUPart which, unsigned int flags)
{
    char* text = nullptr;
    if (curl_url_get(url, which, &text, flags) != CURLUE_OK)
        return {};
    QString value = QString::fromUtf8(text);
    curl_free(text);
    return value;
}

} // namespace

QString HostWaits::ServerOf(const QByteArray& url)
{
    std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
    if (!parsed
        || curl_url_set(parsed.get(), CURLUPART_URL, url.constData(), CURLU_DEFAULT_SCHEME | CURLU_NON_SUPPORT_SCHEME)
            != CURLUE_OK)
        return QString::fromUtf8(url);
    const QString host = part(parsed.get(), CURLUPART_HOST, 0);
    if (host.isEmpty())
        return QString::fromUtf8(url);
    return QStringLiteral("%1://%2:%3")
        .arg(part(parsed.get(), CURLUPART_SCHEME, 0).toLower(), host.toLower(),
            part(parsed.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT));
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
