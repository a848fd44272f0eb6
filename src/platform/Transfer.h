// One page download: its request (the address, the conditions sent with it), the file its
// page goes into, every line ended by CR LF (LineEndConverter), and what came of it.
#pragma once

#include "platform/DownloadOptions.h"
#include "platform/LineEnds.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <curl/curl.h>

#include <memory>

struct TransferOptions;

// What the server said of the copy a favorite's snapshot was made from; sent back with the
// next request, the server may answer "not modified" instead of the page.
struct Validators {
    QByteArray etag;
    QByteArray lastModified;
    bool isEmpty() const { return etag.isEmpty() && lastModified.isEmpty(); }
};

// How a transfer ended.
struct TransferResult {
    enum class Outcome {
        // The whole page is in the file.
        Downloaded,
        // The server answered 304 Not Modified: no file was created.
        NotModified,
        // The server answered with the page, but its file could not be created.
        FileNotCreated,
        // The page's file was created, but the transfer failed before the page was whole (or
        // the file could not be written): the lines that arrived before stay in the file.
        Incomplete,
        // The server asked to be left alone for a while (429 or 503 with a Retry-After), now
        // or in an earlier answer: no file was touched.
        ServerWaiting,
        // Every other failure: the transfer never answered with a page (an error page, a
        // refused connection, a host not found, ...), and no file was touched.
        Failed,
    };

    Outcome outcome = Outcome::Failed;
    // Why the transfer failed, in a few words for the user: "HTTP 404 Not Found", "connection
    // refused", "host not found", "timed out", "the server asked to wait until ...".
    QString message;
    // The same in full for the log, naming the address: libcurl's words, "Cannot read ...".
    QString detail;
    // The validators of the answer, for the next request.
    Validators validators;

    bool isDownloaded() const { return outcome == Outcome::Downloaded; }

    static TransferResult failed(Outcome outcome, const QString& detail, const QString& message)
    {
        return { outcome, message, detail, {} };
    }
};

class Transfer {
public:
    struct EasyDeleter {
        void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    };
    using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;

    // A download of `address` into `fileName`, which is created (or truncated) once the server
    // answers with the page; with `validators` the request is conditional.
    Transfer(int id, const QString& address, const QString& fileName, const QString& key, const Validators& validators);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    int id() const { return m_id; }
    const QString& address() const { return m_address; }
    // The transfers of one non-empty key never run at the same time.
    const QString& key() const { return m_key; }
    // The host name, lower case, that the limit per host counts; the server (scheme, host and
    // port) whose waits apply.
    const QString& host() const { return m_host; }
    const QString& server() const { return m_server; }

    // Sets up `easy` for this transfer through the shared cache `share`. Returns why the
    // transfer cannot start, or an empty text.
    QString setUp(EasyHandle easy, CURLSH* share, const TransferOptions& options);
    CURL* handle() const { return m_easy.get(); }
    // The handle, reset for another transfer.
    EasyHandle takeHandle();

    // The transfer has ended with `code`: the file is finished and closed.
    TransferResult finish(CURLcode code);
    // The status of an answer that asked to wait (429 or 503), and its Retry-After value.
    bool askedToWait() const { return m_status == 429 || m_status == 503; }
    const QByteArray& retryAfter() const { return m_retryAfter; }

private:
    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static size_t onData(char* data, size_t size, size_t count, void* self);
    bool openFile();
    bool writeBlock();
    void closeFile(CURLcode code);
    TransferResult result(CURLcode code) const;

    struct SlistDeleter {
        void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    };

    int m_id = 0;
    QString m_address;
    QByteArray m_url;
    QString m_fileName;
    QString m_key;
    QString m_host;
    QString m_server;
    Validators m_validators;
    qint64 m_maxBytes = 0;
    EasyHandle m_easy;
    // The request's own headers when it is conditional.
    std::unique_ptr<curl_slist, SlistDeleter> m_headers;
    char m_errorText[CURL_ERROR_SIZE] = {};

    QFile m_file;
    QByteArray m_block;
    LineEndConverter m_lines;
    qint64 m_received = 0;
    bool m_answered = false;
    bool m_fileRefused = false;
    bool m_tooLarge = false;
    QString m_writeFailure;
    // The answer's status, its reason phrase and the headers we keep of it.
    int m_status = 0;
    QByteArray m_reason;
    Validators m_answerValidators;
    QByteArray m_retryAfter;
    AnswerWatch m_answerWatch;
};
