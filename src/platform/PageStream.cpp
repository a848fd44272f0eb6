// One page download driven through a libcurl multi handle, so that the reader pulls the
// page line by line instead of libcurl pushing all of it at once.
#include "platform/PageStream.h"

#include "platform/DownloadOptions.h"
#include "platform/InternetSession.h"
#include "platform/NelvoxError.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

// The transfer pauses once this much is waiting to be read.
constexpr qsizetype kPauseThreshold = 256 * 1024;

// Longest wait for network activity before libcurl's own timers are looked at again.
constexpr int kPollMilliseconds = 1000;

std::mutex& spareMutex()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

PageStream::Handles& PageStream::spareHandles()
{
    static Handles handles;
    return handles;
}

PageStream::Handles PageStream::takeSpare()
{
    std::lock_guard lock(spareMutex());
    return std::move(spareHandles());
}

void PageStream::keepSpare(Handles handles)
{
    std::lock_guard lock(spareMutex());
    if (!spareHandles().multi)
        spareHandles() = std::move(handles);
}

PageStream::PageStream(CURLSH* share, const QString& address)
    : m_address(address)
    , m_url(address.toUtf8())
{
    // libcurl would wait in one system call for a named pipe or a terminal, beyond the
    // reach of every time limit, and read a device such as /dev/zero to the size limit.
    const QString problem = LocalFileProblem(m_url);
    if (!problem.isEmpty())
        throw InternetError(QStringLiteral("Cannot open %1: %2").arg(address, problem));

    Handles spare = takeSpare();
    m_multi = spare.multi ? std::move(spare.multi) : decltype(m_multi)(curl_multi_init());
    m_easy = spare.easy ? std::move(spare.easy) : decltype(m_easy)(curl_easy_init());
    m_buffer = std::move(spare.buffer);
    if (!m_multi || !m_easy)
        throw InternetError(QStringLiteral("Cannot open %1: out of memory").arg(address));

    CURL* easy = m_easy.get();
    const CURLcode result
        = ConfigureDownload(easy, m_url, share, m_errorText, { &PageStream::onHeader, &PageStream::onData, this });
    if (result != CURLE_OK) {
        m_result = result;
        throwFailure(QStringLiteral("open"));
    }

    const CURLMcode added = curl_multi_add_handle(m_multi.get(), easy);
    if (added != CURLM_OK)
        throw InternetError(QStringLiteral("Cannot open %1: %2").arg(address, curl_multi_strerror(added)));
}

PageStream::~PageStream()
{
    Close();
}

void PageStream::Close()
{
    if (m_multi && m_easy && curl_multi_remove_handle(m_multi.get(), m_easy.get()) == CURLM_OK) {
        // The handle points into this stream; it must forget that before another takes it.
        curl_easy_reset(m_easy.get());
        m_buffer.resize(0);
        keepSpare({ std::move(m_multi), std::move(m_easy), std::move(m_buffer) });
    }
    m_easy.reset();
    m_multi.reset();
    m_buffer = QByteArray();
    m_readPos = 0;
    m_finished = true;
}

bool PageStream::ReadString(QByteArray& line, bool* endsLine)
{
    if (!m_easy)
        return false;
    for (;;) {
        if (takeLine(line, endsLine))
            return true;
        if (m_finished) {
            if (m_result != CURLE_OK)
                throwFailure(QStringLiteral("read"));
            if (m_readPos == m_buffer.size())
                return false;
            // The last line of a page that does not end with a line feed.
            line = m_buffer.mid(m_readPos);
            m_readPos = m_buffer.size();
            if (endsLine)
                *endsLine = true;
            return true;
        }
        pump();
    }
}

void PageStream::waitForAnswer()
{
    while (!m_answered && !m_finished)
        pump();
    // A page that answered and then broke off fails while it is read, after the lines
    // that arrived: whether the break came before OpenURL returned is down to timing.
    if (!m_answered && m_result != CURLE_OK)
        throwFailure(QStringLiteral("open"));
}

bool PageStream::takeLine(QByteArray& line, bool* endsLine)
{
    const char* begin = m_buffer.constData() + m_readPos;
    const qsizetype pending = m_buffer.size() - m_readPos;
    // A line feed within one byte past a full piece ends the line; otherwise the byte after
    // the piece is known, so a CR ending the piece cannot be the CR of a CR LF.
    const qsizetype window = std::min(pending, kMaxPieceBytes + 1);
    const char* lineFeed = static_cast<const char*>(std::memchr(begin, '\n', static_cast<size_t>(window)));
    qsizetype length = 0;
    bool complete = false;
    if (lineFeed) {
        length = lineFeed - begin;
        m_readPos += length + 1;
        if (length > 0 && begin[length - 1] == '\r')
            --length;
        complete = true;
    } else if (pending > kMaxPieceBytes) {
        length = kMaxPieceBytes;
        m_readPos += length;
    } else {
        return false;
    }
    line.resize(length);
    if (length > 0)
        std::memcpy(line.data(), begin, static_cast<size_t>(length));
    if (endsLine)
        *endsLine = complete;
    return true;
}

void PageStream::pump()
{
    if (m_readPos > 0) {
        m_buffer.remove(0, m_readPos);
        m_readPos = 0;
    }
    const qsizetype received = m_buffer.size();
    const bool answered = m_answered;
    if (m_paused) {
        m_paused = false;
        // Data libcurl held back while paused may arrive in onData during this call.
        const CURLcode resumed = curl_easy_pause(m_easy.get(), CURLPAUSE_CONT);
        if (resumed != CURLE_OK) {
            m_result = resumed;
            m_finished = true;
            return;
        }
    }
    for (;;) {
        int running = 0;
        CURLMcode status = curl_multi_perform(m_multi.get(), &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi.get(), &queued)) {
            if (message->msg == CURLMSG_DONE) {
                m_result = message->data.result;
                m_finished = true;
            }
        }
        if (status == CURLM_OK && !m_finished && running == 0)
            m_finished = true;
        if (m_finished || m_paused || m_answered != answered || m_buffer.size() != received)
            return;
        if (status == CURLM_OK)
            status = curl_multi_poll(m_multi.get(), nullptr, 0, kPollMilliseconds, nullptr);
        if (status != CURLM_OK)
            throw InternetError(QStringLiteral("Cannot read %1: %2").arg(m_address, curl_multi_strerror(status)));
    }
}

size_t PageStream::onHeader(char* data, size_t size, size_t count, void* stream)
{
    auto* self = static_cast<PageStream*>(stream);
    const size_t length = size * count;
    if (self->m_answerWatch.endsAnswer(self->m_easy.get(), QByteArrayView(data, static_cast<qsizetype>(length))))
        self->m_answered = true;
    return length;
}

size_t PageStream::onData(char* data, size_t size, size_t count, void* stream)
{
    auto* self = static_cast<PageStream*>(stream);
    const size_t length = size * count;
    if (self->m_buffer.size() - self->m_readPos >= kPauseThreshold && self->canPause()) {
        self->m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    self->m_received += static_cast<qint64>(length);
    if (self->m_received > DownloadLimits::maxBytes) {
        self->m_tooLarge = true;
        return 0;
    }
    self->m_buffer.append(data, static_cast<qsizetype>(length));
    self->m_answered = true;
    return length;
}

bool PageStream::canPause() const
{
    // libcurl reads a local file in one go and fails the transfer when asked to pause it;
    // such a page is held whole, within the size limit.
    const char* scheme = nullptr;
    return curl_easy_getinfo(m_easy.get(), CURLINFO_SCHEME, &scheme) != CURLE_OK || !scheme
        || qstricmp(scheme, "file") != 0;
}

void PageStream::throwFailure(const QString& operation) const
{
    QString reason;
    if (m_tooLarge || m_result == CURLE_FILESIZE_EXCEEDED)
        reason = QStringLiteral("the page is larger than %1 bytes").arg(DownloadLimits::maxBytes);
    else if (m_errorText[0] != '\0')
        reason = QString::fromUtf8(m_errorText);
    else
        reason = QString::fromUtf8(curl_easy_strerror(m_result));
    throw InternetError(QStringLiteral("Cannot %1 %2: %3").arg(operation, m_address, reason));
}
