// The parser's allocator that gives up at the deadline, and the one parse that uses it.
#include "update/ParsedPage.h"

#include <cstdlib>

ParseMemory::ParseMemory(QDeadlineTimer until)
    : deadline(until)
{
    blocks.previous = blocks.next = &blocks;
}

ParseMemory::~ParseMemory()
{
    for (Block* block = blocks.next; block != &blocks;) {
        Block* next = block->next;
        std::free(block);
        block = next;
    }
}

void* ParseMemory::allocate(void* userdata, size_t size)
{
    auto* memory = static_cast<ParseMemory*>(userdata);
    memory->bytes += size;
    if (memory->bytes > kMaxBytes
        || (++memory->allocations % kBlocksBetweenClockReads == 0 && memory->deadline.hasExpired()))
        std::longjmp(memory->escape, 1);
    auto* block = static_cast<Block*>(std::malloc(sizeof(Block) + size));
    if (!block)
        std::longjmp(memory->escape, 1);
    block->previous = &memory->blocks;
    block->next = memory->blocks.next;
    memory->blocks.next->previous = block;
    memory->blocks.next = block;
    return block + 1;
}

void ParseMemory::deallocate(void*, void* pointer)
{
    if (!pointer)
        return;
    Block* block = static_cast<Block*>(pointer) - 1;
    block->previous->next = block->next;
    block->next->previous = block->previous;
    std::free(block);
}

namespace {

// No object with a destructor may live in this frame or the parser's: a jump out of the
// allocator skips them all.
GumboOutput* parseOrGiveUp(const GumboOptions* options, ParseMemory* memory, const char* data, size_t size)
{
    if (setjmp(memory->escape) != 0)
        return nullptr;
    return gumbo_parse_with_options(options, data, size);
}

} // namespace

ParsedPage::ParsedPage(QByteArrayView utf8, QDeadlineTimer deadline)
    : m_memory(deadline)
    , m_options(kGumboDefaultOptions)
{
    // Parse errors are of no use here, and a broken page could pile up millions of them.
    m_options.max_errors = 0;
    m_options.allocator = &ParseMemory::allocate;
    m_options.deallocator = &ParseMemory::deallocate;
    m_options.userdata = &m_memory;
    m_output = parseOrGiveUp(&m_options, &m_memory, utf8.data(), static_cast<size_t>(utf8.size()));
}
