// A page being downloaded, read line by line as it arrives. Only a small window of the
// page is ever held in memory: the transfer pauses while the reader is behind.
#pragma once

#include "platform/DownloadOptions.h"

#include <QByteArray>
#include <QString>

#include <curl/curl.h>

#include <memory>

class PageStream {
public:
    // Longest piece of a line that ReadString hands out at once.
    static constexpr qsizetype kMaxPieceBytes = 64 * 1024;

    ~PageStream();
    PageStream(const PageStream&) = delete;
    PageStream& operator=(const PageStream&) = delete;

    // Next line of the page without its line feed; a CR right before the LF is dropped.
    // False at the end of the page. A line longer than kMaxPieceBytes comes out in
    // pieces: endsLine is false for a piece that the next call continues. Lines are
    // bytes as the server sent them. Throws InternetError when the transfer fails.
    bool ReadString(QByteArray& line, bool* endsLine = nullptr);

    // Abandons what is left of the transfer and releases the connection.
    void Close();

    const QString& address() const { return m_address; }

private:
    friend class InternetSession;

    struct EasyDeleter {
        void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    };
    struct MultiDeleter {
        void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
    };

    // What one download leaves behind for the next: a new multi handle costs a socket
    // pair, and a read-ahead buffer freed and allocated again costs trips to the kernel.
    struct Handles {
        std::unique_ptr<CURLM, MultiDeleter> multi;
        std::unique_ptr<CURL, EasyDeleter> easy;
        QByteArray buffer;
    };
    static Handles& spareHandles();
    static Handles takeSpare();
    static void keepSpare(Handles handles);

    PageStream(CURLSH* share, const QString& address);
    void waitForAnswer();

    static size_t onHeader(char* data, size_t size, size_t count, void* stream);
    static size_t onData(char* data, size_t size, size_t count, void* stream);

    // Lets the transfer run until it delivers data, answers or ends.
    void pump();
    bool takeLine(QByteArray& line, bool* endsLine);
    // Whether the transfer may be paused while the reader is behind.
    bool canPause() const;
    [[noreturn]] void throwFailure(const QString& operation) const;

    QString m_address;
    QByteArray m_url;
    std::unique_ptr<CURLM, MultiDeleter> m_multi;
    std::unique_ptr<CURL, EasyDeleter> m_easy;
    char m_errorText[CURL_ERROR_SIZE] = {};

    QByteArray m_buffer; // received bytes not yet read, from m_readPos on
    qsizetype m_readPos = 0;
    qint64 m_received = 0;
    bool m_paused = false;
    bool m_answered = false;
    AnswerWatch m_answerWatch;
    bool m_tooLarge = false;
    bool m_finished = false;
    CURLcode m_result = CURLE_OK;
};
