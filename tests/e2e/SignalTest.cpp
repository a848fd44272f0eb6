// Nelvox on Xvfb asked to end by a signal, as kill, Ctrl+C in its terminal or a closed
// terminal ask it: it must end as Quit ends it, whether idle or with the Add dialog open.
#include "support/DesktopSession.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using namespace e2e;

const QByteArray kFavoritesFile = "2\r\nhttp://a.example/ HNever \r\nhttp://b.example/ D07/09/04 05:03 PM YES\r\n";

using Signals = DesktopFixture;

TEST_F(Signals, EndTheProgramAsQuitDoes)
{

    const struct {
        int number;
        const char* name;
    } signalsToSend[] = { { SIGTERM, "SIGTERM" }, { SIGINT, "SIGINT" }, { SIGHUP, "SIGHUP" } };
    for (const auto& signal : signalsToSend) {
        for (const bool withDialog : { false, true }) {
            SCOPED_TRACE(std::string(signal.name) + (withDialog ? " with the Add dialog open" : " while idle"));
            QTemporaryDir data;
            ASSERT_TRUE(data.isValid());
            QFile favorites(data.filePath("nelvox.ini"));
            ASSERT_TRUE(favorites.open(QIODevice::WriteOnly));
            favorites.write(kFavoritesFile);
            favorites.close();

            QProcess& nelvox = startNelvoxIn(data.path());
            QStringList windows;
            // Without a tray the window stays up.
            ASSERT_TRUE(pollUntil([&] {
                windows = m_session.windows(QStringLiteral("^%1$").arg(kCaption));
                return !windows.isEmpty();
            })) << m_session.logs();
            ASSERT_TRUE(QFile::exists(data.filePath("nelvox.lock")));
            // The favorites are in the window now; only a save at the end brings the file back.
            ASSERT_TRUE(QFile::remove(data.filePath("nelvox.ini")));
            if (withDialog) {
                // Escape in the main window opens Add Favorite.
                m_session.focusAndType(windows.first(), QStringLiteral("Escape"));
                ASSERT_TRUE(pollUntil([&] {
                    return !m_session.windows(QStringLiteral("Add or Edit Favorite")).isEmpty();
                })) << m_session.logs();
            }

            ASSERT_EQ(::kill(static_cast<pid_t>(nelvox.processId()), signal.number), 0);
            ASSERT_TRUE(nelvox.waitForFinished(10000)) << "still running after the signal\n" << m_session.logs();
            EXPECT_EQ(nelvox.exitStatus(), QProcess::NormalExit) << "the signal killed the program";
            EXPECT_EQ(nelvox.exitCode(), 0);
            EXPECT_FALSE(QFile::exists(data.filePath("nelvox.lock"))) << "the lock file stayed behind";
            EXPECT_EQ(readFile(data.filePath("nelvox.ini")), kFavoritesFile) << "the favorites were not saved whole";
        }
    }
}

} // namespace
