// Any bytes as one stored copy of the history and the copy it may be a difference to: reading
// must never crash, hang or claim more memory than a page may take; a page read back must come
// back the same when stored again, whole or as a difference. The first two bytes give the
// length of the base, then the base, then the stored copy; the stored copy's bytes are also
// tried as uncompressed difference steps.
#include "history/PageDelta.h"
#include "history/StoredCopy.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void expectSame(const char* what, const std::optional<QByteArray>& read, const QByteArray& page)
{
    if (read && *read == page)
        return;
    std::fprintf(stderr, "%s: a page of %lld bytes did not come back\n", what, static_cast<long long>(page.size()));
    std::abort();
}

void storedAgain(const QByteArray& base, const QByteArray& page)
{
    expectSame("stored whole", ReadStoredCopy(StoreWhole(page)), page);
    expectSame("stored as a difference", ReadStoredCopy(StoreDifference(base, page), base), page);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t baseLength = std::min<size_t>((size_t(data[0]) << 8 | data[1]), size - 2);
    const QByteArray base(reinterpret_cast<const char*>(data) + 2, static_cast<qsizetype>(baseLength));
    const QByteArray stored(
        reinterpret_cast<const char*>(data) + 2 + baseLength, static_cast<qsizetype>(size - 2 - baseLength));
    if (const std::optional<QByteArray> page = ReadStoredCopy(stored, base))
        storedAgain(base, *page);
    constexpr qsizetype kLimit = 1 << 20;
    if (const std::optional<QByteArray> page = ApplyDelta(base, stored, kLimit)) {
        if (page->size() > kLimit)
            std::abort();
        storedAgain(base, *page);
    }
    return 0;
}
