// Reading a favorite's two copies and comparing them.
#include "update/PageChanges.h"

#include "platform/NelvoxError.h"
#include "update/PageText.h"
#include "update/SnapshotName.h"
#include "update/SnapshotReplace.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <future>

namespace {

// The file's bytes, or none when there is no such file. Throws FileError when it is there
// but cannot be read.
std::optional<QByteArray> readCopy(const QString& fileName, QDateTime& modified, bool& tooLarge)
{
    const QFileInfo info(fileName);
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;
    QFile file(fileName);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot read \"%1\": %2")
                            .arg(fileName, info.isFile() ? file.errorString() : QStringLiteral("it is not a file")));
    modified = info.lastModified();
    if (file.size() > PageChanges::kMaxPageBytes) {
        tooLarge = true;
        return QByteArray();
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Cannot read \"%1\": %2").arg(fileName, file.errorString()));
    return bytes;
}

} // namespace

PageChanges::PageChanges(const QString& address, std::chrono::milliseconds budget)
    : m_budget(budget)
    , m_snapshotName(SnapshotFileName(address))
{
    bool tooLarge = false;
    std::optional<QByteArray> previous = readCopy(PreviousCopyName(m_snapshotName), m_previousTime, tooLarge);
    std::optional<QByteArray> snapshot = readCopy(m_snapshotName, m_snapshotTime, tooLarge);
    if (!previous || !snapshot) {
        m_state = State::NoPreviousCopy;
        return;
    }
    if (tooLarge) {
        m_state = State::TooLarge;
        m_pagesTooLarge = true;
        return;
    }
    m_previousPage = std::move(*previous);
    m_snapshotPage = std::move(*snapshot);

    // Reading the text and comparing it share one time limit. The two readings are independent
    // and take most of the time: one runs beside the other.
    const QDeadlineTimer deadline(m_budget);
    std::future<std::optional<QStringList>> previousLines = std::async(
        std::launch::async, [this, deadline] { return PageText(m_previousPage, deadline).readableLines(); });
    const std::optional<QStringList> snapshotLines = PageText(m_snapshotPage, deadline).readableLines();
    const std::optional<QStringList> previousText = previousLines.get();
    if (!previousText || !snapshotLines) {
        m_state = State::TooLarge;
        return;
    }
    m_textDiff.emplace(*previousText, *snapshotLines,
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline.remainingTimeAsDuration()));

    if (m_textDiff->tooLarge())
        m_state = State::TooLarge;
    else if (!m_textDiff->isEmpty())
        m_state = State::TextChanged;
    else if (m_previousPage != m_snapshotPage)
        m_state = State::MarkupOnly;
    else
        m_state = State::Same;
}

const std::optional<PageDiff>& PageChanges::sourceDiff()
{
    if (!m_sourceDiff && m_state != State::NoPreviousCopy && !m_pagesTooLarge) {
        const QDeadlineTimer deadline(m_budget);
        QStringList previousLines = PageText(m_previousPage, deadline).sourceLines();
        QStringList snapshotLines = PageText(m_snapshotPage, deadline).sourceLines();
        m_sourceDiff.emplace(previousLines, snapshotLines,
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline.remainingTimeAsDuration()));
    }
    return m_sourceDiff;
}
