// Any bytes as a page, cut into pieces of any size as a download receives them, through the
// line end converter that every page file goes through: the stored text must be the page with
// every line ended by CR LF (a CR right before an LF dropped, a last line without LF still
// ended), the same wherever the cuts fall.
#include "platform/LineEnds.h"

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

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

// The page converted in pieces whose lengths `cut` gives, one by one.
template <typename Cut> QByteArray converted(const QByteArray& page, Cut cut)
{
    LineEndConverter converter;
    QByteArray out;
    qsizetype at = 0;
    for (size_t piece = 0; at < page.size(); ++piece) {
        const qsizetype length = std::min<qsizetype>(page.size() - at, cut(piece));
        converter.feed(QByteArrayView(page.constData() + at, length), out);
        at += length;
    }
    converter.finish(out);
    return out;
}

void check(const char* what, const QByteArray& expected, const QByteArray& actual)
{
    if (actual == expected)
        return;
    qsizetype at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    std::fprintf(stderr, "%s: %lld bytes expected, %lld got, first difference at %lld\n", what,
        static_cast<long long>(expected.size()), static_cast<long long>(actual.size()), static_cast<long long>(at));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray page(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray expected = storedForm(page);
    check("in one piece", expected, converted(page, [](size_t) { return qsizetype(1) << 30; }));
    check("byte by byte", expected, converted(page, [](size_t) { return qsizetype(1); }));
    // Cut where the input's own bytes say, so that the fuzzer steers the cuts too.
    check("in pieces", expected, converted(page, [&](size_t piece) { return qsizetype(1 + data[piece % size] % 7); }));
    return 0;
}
