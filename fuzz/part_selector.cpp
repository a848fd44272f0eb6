// Any text as the part of a page a Page text rule compares: IsValidPart must answer, with a
// problem exactly when it refuses, and reading a small page with the part must end without a
// crash; a CSS selector it refuses matches nothing, and one it takes is never too slow for a
// page this small.
#include "page/PagePart.h"
#include "page/RuleText.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const QByteArray kPage = "<html><head><title>Shop</title></head><body><div id=nav class='a b'><a href=/>Home</a>"
                         "</div><main><div class=item data-sku=A1><h2>Tea</h2><p>Price <b>2.50</b></p></div>"
                         "<ul><li><a href='/x?y=1'>x</a><li>y</ul><table><tr><td>1<td>2</table></main></body></html>";

void fail(const char* what, const QString& part)
{
    std::fprintf(stderr, "%s: \"%s\"\n", what, part.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString part = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString problem;
    const bool valid = IsValidPart(part, &problem);
    if (valid == !problem.isEmpty())
        fail(valid ? "taken with a problem" : "refused without a problem", part);
    ChangeRule rule;
    rule.kind = ChangeRule::Kind::PageText;
    rule.part = part;
    const RuleText text = ReadRuleText(kPage, rule, QDeadlineTimer(std::chrono::seconds(2)));
    if (!IsXPathPart(part)) {
        if (!valid && !part.trimmed().isEmpty() && text.status != RuleText::Status::PartMissing)
            fail("a refused selector matched", part);
        if (valid && text.status == RuleText::Status::TooLarge)
            fail("a selector took too long on a small page", part);
    }
    return 0;
}
