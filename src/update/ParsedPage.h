// One parse of a page with the gumbo HTML5 parser that gives up at a deadline or a memory limit,
// and whose memory goes with it.
#pragma once

#include <QByteArrayView>
#include <QDeadlineTimer>

#include <gumbo.h>

#include <csetjmp>
#include <cstddef>

// Gumbo cannot be stopped, and on some pages its time grows with the square of their size:
// tens of thousands of unclosed <div> or <b> tags take minutes. All its memory comes through
// these two functions, so the allocator keeps every block in one list, looks at the clock
// every few blocks and, once the time is up (or the parse has taken more memory than any real
// page needs), jumps back out of the parser; the list then frees whatever the parse had made.
struct ParseMemory {
    // The header before each block; its alignment keeps the block after it aligned as malloc's.
    struct alignas(std::max_align_t) Block {
        Block* previous;
        Block* next;
    };

    // Allocated in all, freed blocks included: parsing an 8 MiB page allocates about 160 MiB,
    // so only a page made to blow up the parser comes near this.
    static constexpr std::size_t kMaxBytes = std::size_t(2) << 30;
    static constexpr unsigned kBlocksBetweenClockReads = 16;

    explicit ParseMemory(QDeadlineTimer until);
    ~ParseMemory();
    ParseMemory(const ParseMemory&) = delete;
    ParseMemory& operator=(const ParseMemory&) = delete;

    static void* allocate(void* userdata, size_t size);
    static void deallocate(void*, void* pointer);

    QDeadlineTimer deadline;
    Block blocks {}; // the list's head; its own two links close the ring
    std::size_t bytes = 0;
    unsigned allocations = 0;
    std::jmp_buf escape {};
};

// One parse; its memory goes with it. No document when it ran out of time or memory.
class ParsedPage {
public:
    ParsedPage(QByteArrayView utf8, QDeadlineTimer deadline);
    // The blocks go with m_memory: gumbo's own clean-up walks the tree recursively, which a
    // deeply nested page would overflow.
    ~ParsedPage() = default;
    ParsedPage(const ParsedPage&) = delete;
    ParsedPage& operator=(const ParsedPage&) = delete;

    const GumboNode* document() const { return m_output ? m_output->document : nullptr; }

private:
    ParseMemory m_memory;
    GumboOptions m_options;
    GumboOutput* m_output = nullptr;
};
