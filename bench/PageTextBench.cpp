// The HTML parser that serves the readable text, the link targets and the selectors: libxml2's
// against gumbo 0.10 (the parser before it, built in only when its package is installed), on
// pages this benchmark writes: an article of 50 KB, a shop of 500 KB, 8 MiB of both, 100,000
// nested <div> and 30,000 unclosed <b>. Time per parse and the peak memory one parse adds.
// Then the text a Page text rule compares, on the pages a check reads most (50 and 100 KB).
#include "BenchMemory.h"
#include "page/PageText.h"
#include "page/ParsedPage.h"
#include "page/RuleText.h"

#include <QDeadlineTimer>

#include <benchmark/benchmark.h>
#include <malloc.h>

#ifdef NELVOX_BENCH_GUMBO
#include <gumbo.h>

#include <cstdlib>
#endif

namespace {

// An article: a head with styles and scripts, navigation, paragraphs with links and inline
// markup, a figure and a list.
QByteArray articleSection(int i)
{
    const QByteArray n = QByteArray::number(i);
    return "<section class=\"story\" id=\"s" + n + "\">\n  <h2>Section " + n
        + ": what the council decided</h2>\n"
          "  <p class=\"lead\">On Tuesday the council <a href=\"/news/"
        + n
        + "?ref=lead\">voted 7 to 4</a> to keep the <em>old bridge</em> open until "
          "<time datetime=\"2026-05-0"
        + QByteArray::number(i % 9 + 1)
        + "\">May</time>, after <strong>two hours</strong> of debate.</p>\n"
          "  <p>Residents had asked for a crossing that does not close in winter; the engineers "
          "said the repairs would cost &euro;1.2 million &mdash; more than planned.</p>\n"
          "  <figure><img src=\"/img/"
        + n
        + ".jpg\" alt=\"The bridge\" width=\"640\" height=\"360\"><figcaption>The bridge in March "
          "(photo: city archive)</figcaption></figure>\n"
          "  <ul class=\"facts\"><li>Built in 1931</li><li>Length: 212 m</li><li><a href=\"/facts/"
        + n + "\">More facts</a></li></ul>\n</section>\n";
}

// A shop: product cards with prices, ratings, buttons and a script per card.
QByteArray shopCard(int i)
{
    const QByteArray n = QByteArray::number(i);
    return "<div class=\"product card\" data-sku=\"SKU-" + n + "\">\n  <a class=\"thumb\" href=\"/p/" + n
        + "\"><img src=\"/i/" + n + ".webp\" loading=\"lazy\" alt=\"\"></a>\n  <h3 class=\"name\"><a href=\"/p/" + n
        + "\">Tea kettle no. " + n
        + "</a></h3>\n  <div class=\"rating\" aria-label=\"4.5 of 5\"><span class=\"stars\">&#9733;&#9733;&#9733;"
          "&#9733;&#9734;</span> <span class=\"count\">("
        + QByteArray::number(i * 7 % 300) + ")</span></div>\n  <p class=\"price\"><span class=\"now\">"
        + QByteArray::number(19 + i % 40) + ".99 &euro;</span> <del>" + QByteArray::number(29 + i % 40)
        + ".99 &euro;</del></p>\n  <button type=\"button\" class=\"btn add\" data-id=\"" + n
        + "\">Add to cart</button>\n  <script>window.dataLayer.push({sku:'SKU-" + n + "',price:" + n
        + "});</script>\n</div>\n";
}

QByteArray pageOf(qsizetype size, bool shop)
{
    QByteArray page = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>"
        + QByteArray(shop ? "Kettles | Shop" : "City news") + "</title>\n"
        + "<link rel=\"stylesheet\" href=\"/s.css?v=83\"><style>.card{display:grid}.price del{opacity:.6}</style>\n"
          "<script async src=\"/analytics.js\"></script></head>\n<body>\n<header><nav id=\"nav\"><a "
          "href=\"/\">Home</a> "
          "<a href=\"/news\">News</a> <a href=\"/shop\">Shop</a></nav></header>\n<main id=\"main\">\n";
    for (int i = 0; page.size() < size - 200; ++i)
        page += shop ? shopCard(i) : articleSection(i);
    page += "</main>\n<footer><p>Updated 9 minutes ago &middot; 8,204 views</p></footer>\n</body></html>\n";
    return page;
}

enum PageKind { Article50K, Shop500K, Mixed8MiB, NestedDivs, UnclosedB, Article100K };

QByteArray pageOf(PageKind kind)
{
    switch (kind) {
    case Article50K:
        return pageOf(50 * 1000, false);
    case Article100K:
        return pageOf(100 * 1000, false);
    case Shop500K:
        return pageOf(500 * 1000, true);
    case Mixed8MiB: {
        QByteArray page = pageOf(4 * 1024 * 1024, false);
        page.chop(int(sizeof "</main>\n<footer>") + 80);
        return page + pageOf(4 * 1024 * 1024, true);
    }
    case NestedDivs:
        return "<title>deep</title>" + QByteArray("<div>").repeated(100000) + "end";
    case UnclosedB: {
        QByteArray page = "<p>start";
        for (int i = 0; i < 30000; ++i)
            page += "<b x=" + QByteArray::number(i) + ">x";
        return page;
    }
    }
    return {};
}

const char* const kPageNames[]
    = { "article 50 KB", "shop 500 KB", "8 MiB", "100,000 nested div", "30,000 unclosed b", "article 100 KB" };

// The memory one run of `work` adds at its peak, in MiB, the allocator's free memory given back
// first so that the figure is the run's own.
template <typename Work> double peakMiB(Work work)
{
    malloc_trim(0);
    const double before = StatusMiB("VmRSS");
    ResetPeakMemory();
    work();
    return StatusMiB("VmHWM") - before;
}

template <typename Parse> void measure(benchmark::State& state, Parse parse)
{
    const QByteArray page = pageOf(PageKind(state.range(0)));
    state.SetLabel(kPageNames[state.range(0)]);
    state.counters["page_KiB"] = double(page.size()) / 1024;
    state.counters["peak_MiB"] = peakMiB([&] { parse(page); });
    for (auto _ : state)
        parse(page);
    state.SetBytesProcessed(state.iterations() * page.size());
}

void BM_Libxml2(benchmark::State& state)
{
    measure(state, [](const QByteArray& page) {
        const ParsedPage parsed(page, "utf-8", QDeadlineTimer(QDeadlineTimer::Forever));
        if (!parsed.document())
            std::abort();
        benchmark::DoNotOptimize(parsed.document());
    });
}

// The Changes window's extraction: parse, walk, lines.
void BM_ReadableLines(benchmark::State& state)
{
    measure(state, [](const QByteArray& page) {
        const std::optional<QStringList> lines = PageText(page).readableLines();
        if (!lines)
            std::abort();
        benchmark::DoNotOptimize(lines->size());
    });
}

#ifdef NELVOX_BENCH_GUMBO
// Gumbo's own clean-up walks the tree recursively and overflows the stack on deep pages: its
// blocks are kept in a list and freed together, as Nelvox did.
struct GumboBlocks {
    struct alignas(std::max_align_t) Block {
        Block* previous;
        Block* next;
    };
    Block head { &head, &head };
    ~GumboBlocks()
    {
        for (Block* block = head.next; block != &head;) {
            Block* next = block->next;
            std::free(block);
            block = next;
        }
    }
    static void* allocate(void* data, size_t size)
    {
        auto* blocks = static_cast<GumboBlocks*>(data);
        auto* block = static_cast<Block*>(std::malloc(sizeof(Block) + size));
        block->previous = &blocks->head;
        block->next = blocks->head.next;
        blocks->head.next->previous = block;
        blocks->head.next = block;
        return block + 1;
    }
    static void deallocate(void*, void* pointer)
    {
        if (!pointer)
            return;
        Block* block = static_cast<Block*>(pointer) - 1;
        block->previous->next = block->next;
        block->next->previous = block->previous;
        std::free(block);
    }
};

void BM_Gumbo(benchmark::State& state)
{
    measure(state, [](const QByteArray& page) {
        GumboBlocks blocks;
        GumboOptions options = kGumboDefaultOptions;
        options.max_errors = 0;
        options.allocator = &GumboBlocks::allocate;
        options.deallocator = &GumboBlocks::deallocate;
        options.userdata = &blocks;
        benchmark::DoNotOptimize(gumbo_parse_with_options(&options, page.constData(), size_t(page.size())));
    });
}
#endif

void pages(benchmark::internal::Benchmark* benchmark)
{
    for (PageKind kind : { Article50K, Shop500K, Mixed8MiB, NestedDivs, UnclosedB })
        benchmark->Arg(kind);
    benchmark->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

BENCHMARK(BM_Libxml2)->Apply(pages)->MinTime(1.0);
BENCHMARK(BM_ReadableLines)->Apply(pages)->MinTime(1.0);
#ifdef NELVOX_BENCH_GUMBO
// Gumbo takes seconds on the deep pages: one parse each.
BENCHMARK(BM_Gumbo)->Apply(pages)->Iterations(1);
#endif

// What a check under Page text does with each copy: the 50 and 100 KB pages read with links,
// with numbers ignored and a selector, and with the rule's lines filter.
void BM_RuleText(benchmark::State& state)
{
    const QByteArray page = pageOf(PageKind(state.range(0)));
    ChangeRule rule;
    rule.kind = ChangeRule::Kind::PageText;
    rule.ignoreNumbers = state.range(1) != 0;
    if (state.range(1)) {
        rule.part = QStringLiteral("#main .story > p, #main h2");
        rule.ignoreLines = QStringList { QStringLiteral("views"), QStringLiteral("/Updated \\d+ minutes? ago/") };
    }
    state.SetLabel(std::string(kPageNames[state.range(0)]) + (state.range(1) ? ", numbers, selector" : ""));
    const auto read = [&] {
        const RuleText text = ReadRuleText(page, rule, QDeadlineTimer(std::chrono::seconds(2)));
        if (text.status != RuleText::Status::Read)
            std::abort();
        benchmark::DoNotOptimize(text.counted(rule));
    };
    state.counters["peak_MiB"] = peakMiB(read);
    for (auto _ : state)
        read();
}
BENCHMARK(BM_RuleText)
    ->ArgsProduct({ { Article50K, Article100K }, { 0, 1 } })
    ->Unit(benchmark::kMicrosecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace
