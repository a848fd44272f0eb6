// An address as libcurl parses the addresses it is given, and the parts it names.
#pragma once

#include <QByteArray>

#include <curl/curl.h>

#include <memory>

class ParsedUrl {
public:
    // `flags` are libcurl's for the parse (CURLU_DEFAULT_SCHEME, CURLU_NON_SUPPORT_SCHEME, ...).
    ParsedUrl(const QByteArray& url, unsigned int flags);

    // One part of the address (CURLUPART_HOST, ...), empty where the address has none or
    // libcurl could not parse it.
    QByteArray part(CURLUPart which, unsigned int flags = 0) const;

private:
    struct Cleanup {
        void operator()(CURLU* url) const { curl_url_cleanup(url); }
    };
    std::unique_ptr<CURLU, Cleanup> m_url;
};
