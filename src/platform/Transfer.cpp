// One transfer: the request's headers, the page's file as the answer comes in, and the
// outcome once it has ended.
#include "platform/Transfer.h"

#include "platform/Files.h"
#include "platform/HostWaits.h"
#include "platform/NelvoxError.h"
#include "platform/ParsedUrl.h"
#include "platform/TransferOptions.h"

#include <QCoreApplication>
#include <QList>

namespace {

// Converted lines gather in a block this large before they go to the file.
constexpr qsizetype kWriteBlockBytes = 32 * 1024;

// The host a transfer counts against: the address's host name, lower case; for an address
// libcurl cannot parse, the address itself.
QString hostOf(const QByteArray& url)
{
    const QByteArray host = ParsedUrl(url, CURLU_DEFAULT_SCHEME | CURLU_NON_SUPPORT_SCHEME).part(CURLUPART_HOST);
    return host.isEmpty() ? QString::fromUtf8(url) : QString::fromUtf8(host).toLower();
}

bool isHeader(QByteArrayView line, const char* name, QByteArray& value)
{
    const qsizetype length = qstrlen(name);
    if (line.size() <= length || line[length] != ':' || qstrnicmp(line.data(), name, length) != 0)
        return false;
    value = line.sliced(length + 1).toByteArray().trimmed();
    return true;
}

// libcurl's own words for the other failures a page's transfer can meet, as this libcurl says
// them, so that they are translated where they are shown; the state file keeps them in English.
struct LibcurlWords {
    CURLcode code;
    const char* words;
};
constexpr LibcurlWords kLibcurlWords[] = {
    { CURLE_UNSUPPORTED_PROTOCOL, QT_TRANSLATE_NOOP("FailureReason", "Unsupported protocol") },
    { CURLE_FAILED_INIT, QT_TRANSLATE_NOOP("FailureReason", "Failed initialization") },
    { CURLE_URL_MALFORMAT, QT_TRANSLATE_NOOP("FailureReason", "URL using bad/illegal format or missing URL") },
    { CURLE_WEIRD_SERVER_REPLY, QT_TRANSLATE_NOOP("FailureReason", "Weird server reply") },
    { CURLE_REMOTE_ACCESS_DENIED, QT_TRANSLATE_NOOP("FailureReason", "Access denied to remote resource") },
    { CURLE_HTTP2, QT_TRANSLATE_NOOP("FailureReason", "Error in the HTTP2 framing layer") },
    { CURLE_WRITE_ERROR, QT_TRANSLATE_NOOP("FailureReason", "Failed writing received data to disk/application") },
    { CURLE_READ_ERROR, QT_TRANSLATE_NOOP("FailureReason", "Failed to open/read local data from file/application") },
    { CURLE_OUT_OF_MEMORY, QT_TRANSLATE_NOOP("FailureReason", "Out of memory") },
    { CURLE_RANGE_ERROR, QT_TRANSLATE_NOOP("FailureReason", "Requested range was not delivered by the server") },
    { CURLE_FILE_COULDNT_READ_FILE, QT_TRANSLATE_NOOP("FailureReason", "Couldn't read a file:// file") },
    { CURLE_ABORTED_BY_CALLBACK,
        QT_TRANSLATE_NOOP("FailureReason", "Operation was aborted by an application callback") },
    { CURLE_INTERFACE_FAILED, QT_TRANSLATE_NOOP("FailureReason", "Failed binding local connection end") },
    { CURLE_SSL_ENGINE_NOTFOUND, QT_TRANSLATE_NOOP("FailureReason", "SSL crypto engine not found") },
    { CURLE_SEND_ERROR, QT_TRANSLATE_NOOP("FailureReason", "Failed sending data to the peer") },
    { CURLE_SSL_CERTPROBLEM, QT_TRANSLATE_NOOP("FailureReason", "Problem with the local SSL certificate") },
    { CURLE_SSL_CIPHER, QT_TRANSLATE_NOOP("FailureReason", "Couldn't use specified SSL cipher") },
    { CURLE_BAD_CONTENT_ENCODING,
        QT_TRANSLATE_NOOP("FailureReason", "Unrecognized or bad HTTP Content or Transfer-Encoding") },
    { CURLE_USE_SSL_FAILED, QT_TRANSLATE_NOOP("FailureReason", "Requested SSL level failed") },
    { CURLE_SSL_ENGINE_INITFAILED, QT_TRANSLATE_NOOP("FailureReason", "Failed to initialise SSL crypto engine") },
    { CURLE_SSL_CACERT_BADFILE,
        QT_TRANSLATE_NOOP("FailureReason", "Problem with the SSL CA cert (path? access rights?)") },
    { CURLE_REMOTE_FILE_NOT_FOUND, QT_TRANSLATE_NOOP("FailureReason", "Remote file not found") },
    { CURLE_SSL_SHUTDOWN_FAILED, QT_TRANSLATE_NOOP("FailureReason", "Failed to shut down the SSL connection") },
    { CURLE_AGAIN, QT_TRANSLATE_NOOP("FailureReason", "Socket not ready for send/recv") },
    { CURLE_SSL_CRL_BADFILE,
        QT_TRANSLATE_NOOP("FailureReason", "Failed to load CRL file (path? access rights?, format?)") },
    { CURLE_SSL_ISSUER_ERROR, QT_TRANSLATE_NOOP("FailureReason", "Issuer check against peer certificate failed") },
    { CURLE_SSL_PINNEDPUBKEYNOTMATCH,
        QT_TRANSLATE_NOOP("FailureReason", "SSL public key does not match pinned public key") },
    { CURLE_SSL_INVALIDCERTSTATUS,
        QT_TRANSLATE_NOOP("FailureReason", "SSL server certificate status verification FAILED") },
    { CURLE_HTTP2_STREAM, QT_TRANSLATE_NOOP("FailureReason", "Stream error in the HTTP/2 framing layer") },
    { CURLE_AUTH_ERROR, QT_TRANSLATE_NOOP("FailureReason", "An authentication function returned an error") },
    { CURLE_HTTP3, QT_TRANSLATE_NOOP("FailureReason", "HTTP/3 error") },
    { CURLE_QUIC_CONNECT_ERROR, QT_TRANSLATE_NOOP("FailureReason", "QUIC connection error") },
    { CURLE_PROXY, QT_TRANSLATE_NOOP("FailureReason", "proxy handshake error") },
    { CURLE_SSL_CLIENTCERT, QT_TRANSLATE_NOOP("FailureReason", "SSL Client Certificate required") },
    { CURLE_UNRECOVERABLE_POLL, QT_TRANSLATE_NOOP("FailureReason", "Unrecoverable error in select/poll") },
};

// What went wrong, in the words a user reads in the favorite's tooltip. The state file keeps
// them in English; the list translates them when it shows them.
QString reasonOf(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "host not found"));
    case CURLE_COULDNT_RESOLVE_PROXY:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "proxy not found"));
    case CURLE_COULDNT_CONNECT:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "connection refused"));
    case CURLE_OPERATION_TIMEDOUT:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "timed out"));
    case CURLE_PEER_FAILED_VERIFICATION:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "certificate not trusted"));
    case CURLE_SSL_CONNECT_ERROR:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "secure connection failed"));
    case CURLE_TOO_MANY_REDIRECTS:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "too many redirects"));
    case CURLE_FILESIZE_EXCEEDED:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "page too large"));
    case CURLE_GOT_NOTHING:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "the server sent nothing"));
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        return QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "connection lost in the middle of the page"));
    default:
        for (const LibcurlWords& known : kLibcurlWords) {
            if (known.code == code)
                return QString::fromLatin1(known.words);
        }
        return QString::fromUtf8(curl_easy_strerror(code));
    }
}

} // namespace

Transfer::Transfer(
    int id, const QString& address, const QString& fileName, const QString& key, const Validators& validators)
    : m_id(id)
    , m_address(address)
    , m_url(address.toUtf8())
    , m_fileName(fileName)
    , m_key(key)
    , m_host(hostOf(m_url))
    , m_server(HostWaits::ServerOf(m_url))
    , m_validators(validators)
{
}

Transfer::~Transfer() = default;

QString Transfer::setUp(EasyHandle easy, CURLSH* share, const TransferOptions& options)
{
    m_easy = std::move(easy);
    m_maxBytes = options.maxBytes;
    CURL* handle = m_easy.get();
    const CURLcode result = handle ? ConfigureDownload(handle, m_url, share, m_errorText,
                                { &Transfer::onHeader, &Transfer::onData, this }, options)
                                   : CURLE_OUT_OF_MEMORY;
    if (result == CURLE_OK && !m_validators.isEmpty()) {
        // The shared headers and the conditions of this request.
        curl_slist* list = nullptr;
        for (curl_slist* shared = DownloadHeaders(); shared; shared = shared->next)
            list = curl_slist_append(list, shared->data);
        if (!m_validators.etag.isEmpty())
            list = curl_slist_append(list, ("If-None-Match: " + m_validators.etag).constData());
        if (!m_validators.lastModified.isEmpty())
            list = curl_slist_append(list, ("If-Modified-Since: " + m_validators.lastModified).constData());
        m_headers.reset(list);
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, list);
    }
    // A named pipe or a device would hold the whole run inside one system call of libcurl's.
    QString refusal = LocalFileProblem(m_url);
    if (refusal.isEmpty() && result != CURLE_OK)
        refusal = reasonOf(result);
    return refusal;
}

Transfer::EasyHandle Transfer::takeHandle()
{
    // The handle points into this transfer; it must forget that before another takes it.
    if (m_easy)
        curl_easy_reset(m_easy.get());
    return std::move(m_easy);
}

bool Transfer::openFile()
{
    // The server has answered: the file is created now, as a download that answers does.
    m_answered = true;
    if (!CreateTextFile(m_file, m_fileName))
        m_fileRefused = true;
    return !m_fileRefused;
}

bool Transfer::writeBlock()
{
    try {
        WriteText(m_file, m_block);
    } catch (const FileError& error) {
        m_writeFailure = error.message();
        return false;
    }
    m_block.resize(0);
    return true;
}

size_t Transfer::onHeader(char* data, size_t size, size_t count, void* self)
{
    auto* transfer = static_cast<Transfer*>(self);
    const size_t length = size * count;
    const QByteArrayView line(data, static_cast<qsizetype>(length));
    if (line.startsWith("HTTP/")) {
        // Each answer (an interim one, a redirect, the page's own) starts afresh.
        const QList<QByteArray> parts = line.toByteArray().trimmed().split(' ');
        transfer->m_reason = parts.mid(2).join(' ');
        transfer->m_answerValidators = {};
        transfer->m_retryAfter.clear();
    } else {
        isHeader(line, "etag", transfer->m_answerValidators.etag)
            || isHeader(line, "last-modified", transfer->m_answerValidators.lastModified)
            || isHeader(line, "retry-after", transfer->m_retryAfter);
    }
    if (transfer->m_answered || !transfer->m_answerWatch.endsAnswer(transfer->m_easy.get(), line))
        return length;
    long code = 0;
    curl_easy_getinfo(transfer->m_easy.get(), CURLINFO_RESPONSE_CODE, &code);
    transfer->m_status = static_cast<int>(code);
    // No file for an error page, whose transfer ends here, nor for "not modified", whose
    // connection may serve the next request.
    if (code >= 400)
        return 0;
    if (code == 304)
        return length;
    if (!transfer->openFile())
        return 0;
    return length;
}

size_t Transfer::onData(char* data, size_t size, size_t count, void* self)
{
    auto* transfer = static_cast<Transfer*>(self);
    const size_t length = size * count;
    if (transfer->m_status == 304)
        return 0;
    if (!transfer->m_answered && !transfer->openFile())
        return 0;
    if (transfer->m_fileRefused)
        return 0;
    transfer->m_received += static_cast<qint64>(length);
    if (transfer->m_received > transfer->m_maxBytes) {
        transfer->m_tooLarge = true;
        return 0;
    }
    transfer->m_lines.feed(QByteArrayView(data, static_cast<qsizetype>(length)), transfer->m_block);
    if (transfer->m_block.size() >= kWriteBlockBytes && !transfer->writeBlock())
        return 0;
    return length;
}

TransferResult Transfer::finish(CURLcode code)
{
    closeFile(code);
    return result(code);
}

void Transfer::closeFile(CURLcode code)
{
    // A page that ended without a byte of body or a header (an empty local file) answered all
    // the same.
    if (code == CURLE_OK && !m_answered && m_status != 304)
        openFile();
    if (!m_file.isOpen())
        return;
    if (code == CURLE_OK && m_writeFailure.isEmpty())
        m_lines.finish(m_block);
    // The lines that arrived before a failure stay in the file.
    if (m_writeFailure.isEmpty())
        writeBlock();
    try {
        CloseFile(m_file);
    } catch (const FileError& error) {
        if (m_writeFailure.isEmpty())
            m_writeFailure = error.message();
    }
}

TransferResult Transfer::result(CURLcode code) const
{
    using Outcome = TransferResult::Outcome;
    if (m_status == 304)
        return { Outcome::NotModified, {}, {}, {} };
    if (m_status >= 400) {
        const QString reason = QStringLiteral("HTTP %1 %2").arg(m_status).arg(QString::fromLatin1(m_reason)).trimmed();
        return TransferResult::failed(
            Outcome::Failed, QStringLiteral("Cannot read %1: %2").arg(m_address, reason), reason);
    }
    const bool fileCreated = m_answered && !m_fileRefused;
    if (code == CURLE_OK && fileCreated && m_writeFailure.isEmpty())
        return { Outcome::Downloaded, {}, {}, m_answerValidators };

    TransferResult ended;
    ended.validators = m_answerValidators;
    ended.outcome = !m_answered ? Outcome::Failed : fileCreated ? Outcome::Incomplete : Outcome::FileNotCreated;
    if (!m_writeFailure.isEmpty()) {
        ended.detail = m_writeFailure;
        ended.message = QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "the page could not be written"));
    } else if (m_tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        // A page that announces a length over the limit fails before it answers; its reason
        // names the limit all the same.
        ended.detail
            = QStringLiteral("Cannot read %1: the page is larger than %2 bytes").arg(m_address).arg(m_maxBytes);
        ended.message = reasonOf(CURLE_FILESIZE_EXCEEDED);
    } else if (code != CURLE_OK || !m_answered) {
        const QString reason
            = m_errorText[0] != '\0' ? QString::fromUtf8(m_errorText) : QString::fromUtf8(curl_easy_strerror(code));
        ended.detail = QStringLiteral("Cannot %1 %2: %3")
                           .arg(m_answered ? QStringLiteral("read") : QStringLiteral("open"), m_address, reason);
        ended.message = code == CURLE_OK
            ? QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "the page could not be written"))
            : reasonOf(code);
    }
    return ended;
}
