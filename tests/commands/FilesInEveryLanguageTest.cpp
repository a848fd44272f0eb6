// The favorites, rules and state files read the same in every language the program speaks,
// so that a data directory moves between desktops and earlier builds as it is.
#include "app/Translators.h"
#include "store/ChangeRules.h"
#include "store/FavoriteStates.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"
#include "support/Downloads.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

namespace {

struct WrittenFiles {
    QByteArray favorites, rules, states;
};

// A changed favorite with a time, one never updated, a rule of Page text and a failure
// whose reason comes from a real download, all written in `language`.
WrittenFiles writeFilesIn(const char* language)
{
    TempWorkDir dir;
    const Translators translators { QLocale(QString::fromLatin1(language)) };
    EXPECT_EQ(translators.translated(), qstrcmp(language, "en") != 0) << language;

    // Nothing listens on the discard port of the loopback address.
    const QString refused = QStringLiteral("http://127.0.0.1:9/");
    FavoritesList list;
    list.insertFavorite(0, QStringLiteral("http://a.example/"));
    list.insertFavorite(1, refused);
    list.setLastUpdated(0, QDateTime(QDate(2026, 12, 7), QTime(17, 5)));
    list.setChanged(0, true);
    list.setFrequency(0, FREQ_HOURLY);
    list.setFrequency(1, FREQ_DAILY);
    list.setLastUpdated(1, QDateTime());
    SaveFavorites(list);

    ChangeRules rules;
    ChangeRule rule;
    rule.kind = ChangeRule::Kind::PageText;
    rule.ignoreNumbers = true;
    rule.ignoreLines = { QStringLiteral("Visitors") };
    rules.setRule(QStringLiteral("http://a.example/"), rule);
    rules.save(list);

    const TransferPool::Result result = DownloadAsSnapshot(refused, QStringLiteral("refused.NVD"));
    EXPECT_FALSE(result.message.isEmpty());
    FavoriteStates states;
    FavoriteState& state = states.at(refused);
    state.outcome = FavoriteState::Outcome::Failed;
    state.failure = result.message;
    state.failuresInARow = 2;
    state.checked = state.failingSince = QDateTime(QDate(2026, 12, 7), QTime(17, 0), Qt::UTC);
    states.save(list);

    return { ReadAll(QString::fromLatin1(kFavoritesFileName)), ReadAll(QString::fromLatin1(kRulesFileName)),
        ReadAll(QString::fromLatin1(kStatesFileName)) };
}

TEST(FilesInEveryLanguage, AreByteForByteThoseWrittenInEnglish)
{
    const WrittenFiles english = writeFilesIn("en");
    ASSERT_TRUE(english.favorites.contains("Never") && english.favorites.contains(" YES\r\n"))
        << english.favorites.constData();
    ASSERT_TRUE(english.states.contains("failure=connection refused\r\n")) << english.states.constData();
    for (const char* language : { "de", "fr" }) {
        SCOPED_TRACE(language);
        const WrittenFiles written = writeFilesIn(language);
        EXPECT_EQ(written.favorites.toStdString(), english.favorites.toStdString());
        EXPECT_EQ(written.rules.toStdString(), english.rules.toStdString());
        EXPECT_EQ(written.states.toStdString(), english.states.toStdString());
    }
}

} // namespace
