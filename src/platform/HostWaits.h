// The servers that answered 429 or 503 with a Retry-After, and until when each asked to be
// left alone. A server is its scheme, host and port: another port of the same host is another
// server and is asked as ever.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

class HostWaits {
public:
    // The server of `url`: "scheme://host:port", the default port written out; for an address
    // libcurl cannot parse, the address itself.
    static QString ServerOf(const QByteArray& url);

    // What the user reads on a favorite whose server asked to wait until `until`.
    static QString Message(const QDateTime& until);

    // Records the wait that `retryAfter` names (seconds or an HTTP date), at most `maxSeconds`
    // from `now`. Returns its end, or an invalid time when the value does not parse or names
    // a time already past, and nothing was recorded.
    QDateTime record(const QString& server, const QByteArray& retryAfter, const QDateTime& now, qint64 maxSeconds);

    // Until when `server` asked to be left alone; an invalid time when it did not or that
    // time has come.
    QDateTime until(const QString& server, const QDateTime& now);

    void clear() { m_until.clear(); }

private:
    // In UTC.
    QHash<QString, QDateTime> m_until;
};
