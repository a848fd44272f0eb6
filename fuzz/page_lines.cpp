// Any bytes as a page, read through a file:// address by the program's own page stream and
// stored by DownloadPage: the stored text must be the page with every line ended by CR LF
// (a CR right before an LF dropped, a last line without LF still ended), and no piece of a
// long line may be longer than the stream promises. Cut into pieces of any size, the page
// must convert to the same text.
#include "platform/InternetSession.h"
#include "platform/LineEnds.h"
#include "platform/NelvoxError.h"
#include "platform/PageStream.h"
#include "update/PageCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> workDir;
std::unique_ptr<InternetSession> session;
QString pageAddress;

void writeFile(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(fileName));
        std::abort();
    }
}

QByteArray readFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

// The page as it must be stored, worked out byte by byte.
QByteArray storedForm(const QByteArray& page)
{
    QByteArray stored;
    QByteArray line;
    for (const char byte : page) {
        if (byte == '\n') {
            if (line.endsWith('\r'))
                line.chop(1);
            stored += line + "\r\n";
            line.clear();
        } else {
            line += byte;
        }
    }
    if (!line.isEmpty())
        stored += line + "\r\n";
    return stored;
}

// Lines longer than the stream's pieces from small inputs: the bytes 0xFF a b stand for
// a*256+b letters 'x' (0xFF 0 0 for the byte 0xFF itself).
QByteArray stretched(const uint8_t* data, size_t size)
{
    QByteArray page;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && i + 2 < size) {
            const qsizetype length = data[i + 1] * 256 + data[i + 2];
            if (length == 0)
                page += '\xff';
            else
                page.append(length, 'x');
            i += 2;
        } else {
            page += static_cast<char>(data[i]);
        }
    }
    return page;
}

void fail(const char* what, const QByteArray& expected, const QByteArray& actual)
{
    qsizetype at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    std::fprintf(stderr, "%s: %lld bytes expected, %lld got, first difference at %lld\n", what,
        static_cast<long long>(expected.size()), static_cast<long long>(actual.size()), static_cast<long long>(at));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    workDir = std::make_unique<QTemporaryDir>();
    if (!workDir->isValid() || !QDir::setCurrent(workDir->path()))
        std::abort();
    session = std::make_unique<InternetSession>();
    pageAddress = QStringLiteral("file://") + QDir::current().absoluteFilePath(QStringLiteral("page.html"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray page = stretched(data, size);
    writeFile(QStringLiteral("page.html"), page);
    const QByteArray expected = storedForm(page);

    try {
        if (!DownloadPage(*session, pageAddress, QStringLiteral("snapshot.NVD")))
            std::abort();
        const QByteArray stored = readFile(QStringLiteral("snapshot.NVD"));
        if (stored != expected)
            fail("stored snapshot", expected, stored);

        // The same page read piece by piece: pieces within the promised size, put back
        // together they give the same lines.
        std::unique_ptr<PageStream> stream = session->OpenURL(pageAddress);
        QByteArray piece;
        QByteArray joined;
        bool endsLine = true;
        while (stream->ReadString(piece, &endsLine)) {
            if (piece.size() > PageStream::kMaxPieceBytes) {
                std::fprintf(stderr, "a piece of %lld bytes\n", static_cast<long long>(piece.size()));
                std::abort();
            }
            joined += piece;
            if (endsLine)
                joined += "\r\n";
        }
        if (!endsLine) {
            std::fprintf(stderr, "the page ended inside a line that a piece promised to continue\n");
            std::abort();
        }
        if (joined != expected)
            fail("lines read", expected, joined);

        // The same page as the downloads of a run receive it: in pieces of any size, here
        // cut where the input's own bytes say.
        LineEndConverter converter;
        QByteArray converted;
        qsizetype at = 0;
        for (size_t i = 0; at < page.size(); ++i) {
            const qsizetype length = std::min<qsizetype>(page.size() - at, 1 + (i < size ? data[i] % 7 : 4096));
            converter.feed(QByteArrayView(page.constData() + at, length), converted);
            at += length;
        }
        converter.finish(converted);
        if (converted != expected)
            fail("pieces converted", expected, converted);
    } catch (const NelvoxError& error) {
        std::fprintf(stderr, "a readable page failed: %s\n", error.what());
        std::abort();
    }
    return 0;
}
