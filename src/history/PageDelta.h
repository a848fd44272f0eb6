// The difference between two copies of a page as a short list of steps: copy a run of bytes
// from the other copy, or insert bytes of its own. Two copies of one page a change apart share
// nearly everything, so the steps of one changed paragraph take a few hundred bytes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// The steps that make `target` out of `base`.
QByteArray MakeDelta(QByteArrayView base, QByteArrayView target);

// The copy that `delta` makes out of `base`; none when the steps do not fit `base` or are
// damaged, or when the copy would pass `maxBytes`.
std::optional<QByteArray> ApplyDelta(QByteArrayView base, QByteArrayView delta, qsizetype maxBytes);
