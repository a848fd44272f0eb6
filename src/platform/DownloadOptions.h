// The settings of every page download: limits, redirects, schemes and request headers, and
// how the headers show that the page itself has answered.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "platform/Version.h"

#include <curl/curl.h>

#include <memory>

struct TransferOptions;

// What every request says Nelvox is.
inline constexpr const char* kUserAgent = "Nelvox/" NELVOX_VERSION_SHORT " (desktop page watcher)";

// The request headers of every download; one list serves any number of transfers.
curl_slist* DownloadHeaders();

// Why the local file that a file:// address names cannot be read as a page (it is a named
// pipe, a device, a socket or a directory, which could block a read for good or never end),
// or an empty text when the address is no file:// address (one without a scheme is http) or
// names a regular file or no file at all. Never blocks.
QString LocalFileProblem(const QByteArray& url);

// What libcurl calls with header lines and with the page's bytes.
struct DownloadCallbacks {
    curl_write_callback onHeader;
    curl_write_callback onData;
    void* data;
};

// Sets up `easy` to download `url` (which must outlive the transfer) through the process's
// shared cache `share`, with error text in `errorText` (CURL_ERROR_SIZE bytes), handing header
// lines and the page to `callbacks`, under the timeouts and size limit of `options`. Returns
// the first option libcurl refused, or CURLE_OK.
CURLcode ConfigureDownload(CURL* easy, const QByteArray& url, CURLSH* share, char* errorText,
    const DownloadCallbacks& callbacks, const TransferOptions& options);

// Follows the header lines of a download to the moment the page itself answers: interim
// answers and redirects that libcurl follows come before it.
class AnswerWatch {
public:
    // True when `line` ends the headers of the page's own answer.
    bool endsAnswer(CURL* easy, QByteArrayView line);

private:
    bool m_locationSeen = false;
};
