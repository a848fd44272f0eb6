// Any bytes as "nelvox.rules": loading must not crash, and what a save writes must read back
// to rules that write the very same bytes.
#include "store/ChangeRules.h"

#include "FuzzFiles.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    EnterFuzzWorkDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteFuzzInput(kRulesFileName, data, size);
    ChangeRules loaded;
    if (!loaded.load())
        std::abort();
    const QByteArray first = SaveAllBlocks(loaded, kRulesFileName);
    ChangeRules reloaded;
    reloaded.load();
    const QByteArray second = SaveAllBlocks(reloaded, kRulesFileName);
    if (first != second) {
        std::fprintf(stderr, "saved:\n%s\nsaved again:\n%s\n", first.constData(), second.constData());
        std::abort();
    }
    // Page length has no options to keep.
    for (const QString& address : loaded.addresses()) {
        const ChangeRule rule = loaded.rule(address);
        if (rule.isPageLength() ? !reloaded.rule(address).isPageLength() : !(rule == reloaded.rule(address))) {
            std::fprintf(stderr, "the rule of %s differs after a save\n", qPrintable(address));
            std::abort();
        }
        // What Page text learned is written back as it was read, and only what is a shape; Page
        // length keeps none of the options of Page text.
        if (rule.isPageLength())
            continue;
        for (const auto& [key, shapes] :
            { std::pair { "learned-line=", rule.learnedLines }, std::pair { "learned-link=", rule.learnedLinks } }) {
            for (const QString& shape : shapes) {
                if (!IsValidShape(shape) || !first.contains((key + shape + QStringLiteral("\r\n")).toUtf8())) {
                    std::fprintf(
                        stderr, "the learned %s%s of %s is not kept\n", key, qPrintable(shape), qPrintable(address));
                    std::abort();
                }
            }
        }
    }
    return 0;
}
