// The options of a page download.
#include "platform/DownloadOptions.h"

#include "platform/InternetSession.h"

namespace {

struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

std::unique_ptr<curl_slist, ListDeleter> makeHeaders()
{
    // No copy kept by a cache on the way may stand in for the page.
    std::unique_ptr<curl_slist, ListDeleter> headers(curl_slist_append(nullptr, "Cache-Control: no-cache"));
    if (headers && !curl_slist_append(headers.get(), "Pragma: no-cache"))
        headers.reset();
    return headers;
}

} // namespace

curl_slist* DownloadHeaders()
{
    static const std::unique_ptr<curl_slist, ListDeleter> headers = makeHeaders();
    return headers.get();
}

CURLcode ConfigureDownload(CURL* easy, const QByteArray& url, CURLSH* share, char* errorText)
{
    curl_slist* headers = DownloadHeaders();
    if (!headers)
        return CURLE_OUT_OF_MEMORY;
    CURLcode result = CURLE_OK;
    auto set = [&](CURLoption option, auto value) {
        if (result == CURLE_OK)
            result = curl_easy_setopt(easy, option, value);
    };
    set(CURLOPT_ERRORBUFFER, errorText);
    set(CURLOPT_URL, url.constData());
    set(CURLOPT_SHARE, share);
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_USERAGENT, "Nelvox");
    set(CURLOPT_HTTPHEADER, headers);
    // Every encoding this libcurl can decode. Pages arrive decoded, so snapshots hold the
    // page's text and lengths compare as they always did.
    set(CURLOPT_ACCEPT_ENCODING, "");
    set(CURLOPT_DEFAULT_PROTOCOL, "http");
    set(CURLOPT_PROTOCOLS_STR, "http,https,ftp,file");
    // A server may send us on to another page, but never to a file on this computer.
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, 10L);
    set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    set(CURLOPT_CONNECTTIMEOUT, DownloadLimits::connectTimeoutSeconds);
    set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    set(CURLOPT_LOW_SPEED_TIME, DownloadLimits::lowSpeedTimeSeconds);
    set(CURLOPT_TIMEOUT, DownloadLimits::totalTimeoutSeconds);
    // Refuses a page that announces its size up front; the body callback enforces the limit
    // on the rest.
    set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(DownloadLimits::maxBytes));
    return result;
}
