#include "platform/ParsedUrl.h"

ParsedUrl::ParsedUrl(const QByteArray& url, unsigned int flags)
    : m_url(curl_url())
{
    if (m_url && curl_url_set(m_url.get(), CURLUPART_URL, url.constData(), flags) != CURLUE_OK)
        m_url.reset();
}

QByteArray ParsedUrl::part(CURLUPart which, unsigned int flags) const
{
    char* text = nullptr;
    if (!m_url || curl_url_get(m_url.get(), which, &text, flags) != CURLUE_OK)
        return {};
    QByteArray value(text);
    curl_free(text);
    return value;
}
