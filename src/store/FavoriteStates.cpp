// The file of the checks' findings: "[address]" starts a favorite's block, "key=value" lines
// follow, lines end with CR LF as in every file of Nelvox.
#include "store/FavoriteStates.h"

#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "store/BlockFile.h"
#include "store/FavoritesList.h"

#include <QCoreApplication>
#include <QFile>

namespace {

const QStringList kStatesHeading { QStringLiteral("# What Nelvox's checks found, one block per favorite's address.") };

const char* const kOutcomeNames[] = { "unknown", "changed", "unchanged", "failed", "stopped" };

// Times are kept in UTC, so that reading them needs no time zone: "2026-12-07T17:00:00Z".
QString timeText(const QDateTime& time)
{
    return time.isValid() ? time.toUTC().toString(Qt::ISODate) : QString();
}

QDateTime timeOf(QStringView text)
{
    // The file's own form read by position: Qt's general parser would take most of the load's
    // time. Anything else a user wrote goes to that parser.
    if (text.size() == 20 && text[4] == u'-' && text[7] == u'-' && text[10] == u'T' && text[13] == u':'
        && text[16] == u':' && text[19] == u'Z') {
        const auto number = [&](qsizetype from, qsizetype length) { return text.sliced(from, length).toInt(); };
        const QDateTime time(QDate(number(0, 4), number(5, 2), number(8, 2)),
            QTime(number(11, 2), number(14, 2), number(17, 2)), Qt::UTC);
        if (time.isValid())
            return time;
    }
    return QDateTime::fromString(text.toString(), Qt::ISODate);
}

// One "key=value" line into `state`; false when the key is not one of ours.
bool readLine(FavoriteState& state, QStringView key, QStringView value)
{
    if (key == u"checked") {
        state.checked = timeOf(value);
    } else if (key == u"outcome") {
        for (size_t index = 0; index < std::size(kOutcomeNames); ++index) {
            if (value == QLatin1String(kOutcomeNames[index]))
                state.outcome = static_cast<FavoriteState::Outcome>(index);
        }
    } else if (key == u"failure") {
        state.failure = value.toString();
    } else if (key == u"failures-in-a-row") {
        state.failuresInARow = std::max(0, value.toInt());
    } else if (key == u"failing-since") {
        state.failingSince = timeOf(value);
    } else if (key == u"fetched") {
        state.fetched = timeOf(value);
    } else if (key == u"etag") {
        state.etag = value.toLatin1();
    } else if (key == u"last-modified") {
        state.lastModified = value.toLatin1();
    } else if (key == u"known-text") {
        state.knownText = value.toString();
    } else {
        return false;
    }
    return true;
}

} // namespace

void FavoriteStates::load(const QString& fileName)
{
    m_states.clear();
    m_leadingLines.clear();
    QFile file;
    if (!OpenForReading(file, fileName))
        return;
    FavoriteState* state = nullptr;
    BlockFileReader reader;
    reader.heading = kStatesHeading;
    reader.block = [&](const QString& address) {
        state = &m_states[address];
        *state = {};
    };
    reader.line = [&](QStringView key, QStringView value) { return readLine(*state, key, value); };
    reader.other = [&](const QString& line) { (state ? state->otherLines : m_leadingLines) << line; };
    // Read whole: a read per line would cost more than the parsing.
    reader.read(QString::fromUtf8(file.readAll()));
}

void FavoriteStates::save(const FavoritesList& list, const QString& fileName) const
{
    QByteArray text;
    AppendLines(text, kStatesHeading + m_leadingLines);
    for (const QString& address : list.addresses()) {
        const auto found = m_states.constFind(address);
        if (found == m_states.cend())
            continue;
        const FavoriteState& state = *found;
        QStringList lines { u'[' + address + u']' };
        auto add = [&](const char* key, const QString& value) {
            if (!value.isEmpty())
                lines << QLatin1String(key) + u'=' + value;
        };
        add("checked", timeText(state.checked));
        add("outcome", QLatin1String(kOutcomeNames[static_cast<int>(state.outcome)]));
        // A line break would start a line of its own.
        add("failure", QString(state.failure).replace(u'\n', u' ').replace(u'\r', u' '));
        add("failures-in-a-row", state.failuresInARow > 0 ? QString::number(state.failuresInARow) : QString());
        add("failing-since", timeText(state.failingSince));
        add("fetched", timeText(state.fetched));
        add("etag", QString::fromLatin1(state.etag));
        add("last-modified", QString::fromLatin1(state.lastModified));
        add("known-text", QString(state.knownText).replace(u'\n', u' ').replace(u'\r', u' '));
        AppendLines(text, lines + state.otherLines);
    }
    WriteWholeFile(fileName, text,
        QCoreApplication::translate("FavoriteStates", "Cannot save what the checks found to \"%1\": %2"));
}

const FavoriteState* FavoriteStates::find(const QString& address) const
{
    const auto found = m_states.constFind(address);
    return found == m_states.cend() ? nullptr : &*found;
}

int FavoriteStates::failingCount(const FavoritesList& list) const
{
    int count = 0;
    for (const Favorite& row : list.rows()) {
        const FavoriteState* state = find(row.address);
        count += state && state->isFailing();
    }
    return count;
}
