// The settings every page download shares, whether a reader pulls the page line by line or
// the downloads of a run go side by side: limits, redirects, schemes and request headers.
#pragma once

#include <QByteArray>
#include <QString>

#include <curl/curl.h>

#include <memory>

// The request headers of every download; one list serves any number of transfers.
curl_slist* DownloadHeaders();

// Why the local file that a file:// address names cannot be read as a page (it is a named
// pipe, a device, a socket or a directory, which could block a read for good or never end),
// or an empty text when the address is no file:// address (one without a scheme is http) or
// names a regular file or no file at all. Never blocks.
QString LocalFileProblem(const QByteArray& url);

// Sets up `easy` to download `url` (which must outlive the transfer) through the process's
// shared cache `share`, with error text in `errorText` (CURL_ERROR_SIZE bytes). The body and
// header callbacks are the caller's. Returns the first option libcurl refused, or CURLE_OK.
CURLcode ConfigureDownload(CURL* easy, const QByteArray& url, CURLSH* share, char* errorText);
