// The options of a page download.
#include "platform/DownloadOptions.h"

#include "platform/InternetSession.h"
#include "platform/ParsedUrl.h"
#include "platform/TransferOptions.h"

#include <sys/stat.h>

namespace {

// The decoded path of a file:// address, parsed as libcurl parses the addresses it is
// given, or an empty text for any other address.
QByteArray localFilePath(const QByteArray& url)
{
    const ParsedUrl parsed(url, CURLU_NON_SUPPORT_SCHEME);
    if (qstricmp(parsed.part(CURLUPART_SCHEME).constData(), "file") != 0)
        return {};
    return parsed.part(CURLUPART_PATH, CURLU_URLDECODE);
}

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

QString LocalFileProblem(const QByteArray& url)
{
    const QByteArray path = localFilePath(url);
    if (path.isEmpty())
        return {};
    // stat() looks at the file without opening it: opening a named pipe, even for a moment,
    // would let a writer waiting for a reader go on and then fail once we let go. libcurl
    // opens the file again by its name, so a descriptor of ours would prove nothing more.
    struct stat status { };
    if (::stat(path.constData(), &status) != 0 || S_ISREG(status.st_mode))
        return {};
    if (S_ISDIR(status.st_mode))
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "it is a directory, not a regular file"));
    if (S_ISFIFO(status.st_mode))
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "it is a named pipe, not a regular file"));
    if (S_ISSOCK(status.st_mode))
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "it is a socket, not a regular file"));
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "it is a device, not a regular file"));
    return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "it is not a regular file"));
}

CURLcode ConfigureDownload(CURL* easy, const QByteArray& url, CURLSH* share, char* errorText,
    const DownloadCallbacks& callbacks, const TransferOptions& options)
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
    set(CURLOPT_USERAGENT, kUserAgent);
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
    set(CURLOPT_CONNECTTIMEOUT, options.connectTimeoutSeconds);
    set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    set(CURLOPT_LOW_SPEED_TIME, options.lowSpeedTimeSeconds);
    set(CURLOPT_TIMEOUT, options.totalTimeoutSeconds);
    // Refuses a page that announces its size up front; the body callback enforces the limit
    // on the rest.
    set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBytes));
    set(CURLOPT_HEADERFUNCTION, callbacks.onHeader);
    set(CURLOPT_HEADERDATA, callbacks.data);
    set(CURLOPT_WRITEFUNCTION, callbacks.onData);
    set(CURLOPT_WRITEDATA, callbacks.data);
    return result;
}

bool AnswerWatch::endsAnswer(CURL* easy, QByteArrayView line)
{
    if (line.startsWith("HTTP/")) {
        m_locationSeen = false;
    } else if (line.size() >= 9 && qstrnicmp(line.data(), "location:", 9) == 0) {
        m_locationSeen = true;
    } else if (line == "\r\n" || line == "\n") {
        long code = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
        const bool followed = code >= 300 && code < 400 && m_locationSeen;
        return code >= 200 && !followed;
    }
    return false;
}
