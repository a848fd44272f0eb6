// Tells web addresses from everything else a favorite's address may hold.
#include "platform/BrowserAddress.h"

#include <QStringList>

namespace {

const QStringList kWebSchemes = { QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ftp") };

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

QString AddressScheme(const QString& address)
{
    const qsizetype colon = address.indexOf(u':');
    if (colon <= 0 || !isAsciiLetter(address.front()))
        return {};
    for (qsizetype i = 1; i < colon; ++i) {
        const QChar c = address[i];
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != u'+' && c != u'-' && c != u'.')
            return {};
    }
    qsizetype end = colon + 1;
    while (end < address.size() && isAsciiDigit(address[end]))
        ++end;
    const bool port = end > colon + 1 && (end == address.size() || QStringView(u"/?#").contains(address[end]));
    return port ? QString() : address.left(colon).toLower();
}

namespace {

// A blank would make the address more than one argument for whatever opens it.
bool hasBlankOrControl(const QString& address)
{
    for (const QChar c : address) {
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

// A web address needs a host; "http:/path" or "http:///etc/passwd" has none.
QUrl webUrl(const QString& text)
{
    const QUrl url(text, QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty() || !kWebSchemes.contains(url.scheme()))
        return {};
    return url;
}

} // namespace

QUrl BrowserUrl(const QString& address)
{
    if (address.isEmpty() || hasBlankOrControl(address))
        return {};
    const QString scheme = AddressScheme(address);
    if (!scheme.isEmpty())
        return kWebSchemes.contains(scheme) ? webUrl(address) : QUrl();
    // Without a scheme, these begin local paths ("/etc", "\\server\share", "./x", "~/x").
    if (QStringView(u"/\\.~").contains(address.front()))
        return {};
    return webUrl(QStringLiteral("http://") + address);
}
