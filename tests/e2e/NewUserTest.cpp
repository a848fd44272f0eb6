// Nelvox on Xvfb with a tray host (trayer), as a new user meets it: the tray icon while the change
// prompt waits, Delete of one of two favorites with one address, Visit where no browser is
// installed, Add of an address Nelvox cannot fetch, bookmarks imported from a browser's file,
// and a rule of what counts as a change. Pages come from a loopback server that the program
// reaches as its proxy.
#include "check/SnapshotName.h"
#include "check/SnapshotReplace.h"
#include "history/HistoryDatabase.h"
#include "store/ChangeRules.h"
#include "support/DesktopSession.h"
#include "support/HttpServer.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace {

using namespace e2e;

const QString kPage = QStringLiteral("http://www.example.com/news.html");
const QString kPageLine = kPage + QStringLiteral(" HNever YES\r\n");

class NewUser : public DesktopFixture {
protected:
    NewUser()
        : DesktopFixture({ "trayer" })
    {
    }
    void SetUp() override
    {
        DesktopFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(m_session.startTray()) << "trayer did not announce its tray";
    }
    QByteArray data(const QString& name) const { return readFile(m_data.filePath(name)); }

    // Starts Nelvox, waits until it has hidden into the tray and shows its window with a click on
    // the icon; returns the window's id, or empty.
    QString startAndShow() { return startAndShow(m_server.port()); }
    // The same, with `proxyPort` as the program's proxy, or none for 0, and `extra` added to
    // its environment.
    QString startAndShow(quint16 proxyPort, const QProcessEnvironment& extra = {})
    {
        m_nelvox = &startNelvox(proxyPort, extra);
        QString window;
        if (!pollUntil([&] { return !(window = m_session.windows("^" + kCaption + "$", false).value(0)).isEmpty(); })
            || !pollUntil([&] { return m_session.windows("^" + kCaption + "$").isEmpty(); })
            || !pollUntil([&] { return (m_icon = m_session.trayIconGeometry()).isValid(); }))
            return {};
        clickIcon(1);
        return pollUntil([&] { return !m_session.windows("^" + kCaption + "$").isEmpty(); }) ? window : QString();
    }
    void clickIcon(int button)
    {
        m_session.run("xdotool",
            { "mousemove", QString::number(m_icon.center().x()), QString::number(m_icon.top() + 1), "click",
                QString::number(button) });
    }
    // A top-level window named `name` other than those in `known`, once one is shown. The
    // icon's menu has no WM_NAME that xdotool reads: it is found by the program's class.
    QString newWindow(const QString& name, const QStringList& known)
    {
        QString found;
        pollUntil([&] {
            const QStringList candidates = name.isEmpty()
                ? m_session.run("xdotool", { "search", "--onlyvisible", "--class", "nelvox" })
                      .split('\n', Qt::SkipEmptyParts)
                : m_session.windows(name);
            for (const QString& candidate : candidates) {
                if (!known.contains(candidate) && isTopLevel(candidate))
                    found = candidate;
            }
            return !found.isEmpty();
        });
        return found;
    }
    // Whether the window is a child of the root window, not the icon inside the tray's panel.
    bool isTopLevel(const QString& window)
    {
        static const QRegularExpression parent(QStringLiteral("Parent window id: \\S+ \\(the root window\\)"));
        return parent.match(m_session.run("xwininfo", { "-id", window, "-children" })).hasMatch();
    }
    bool isShown(const QString& window)
    {
        return m_session.run("xdotool", { "search", "--onlyvisible", "--class", "nelvox" })
            .split('\n')
            .contains(window);
    }
    QRect geometryOf(const QString& window)
    {
        const QString shell = m_session.run("xdotool", { "getwindowgeometry", "--shell", window });
        auto value = [&](const char* key) {
            const QRegularExpression line(QStringLiteral("%1=(-?\\d+)").arg(QLatin1String(key)));
            return line.match(shell).captured(1).toInt();
        };
        return QRect(value("X"), value("Y"), value("WIDTH"), value("HEIGHT"));
    }
    void click(const QPoint& where)
    {
        m_session.run("xdotool", { "mousemove", QString::number(where.x()), QString::number(where.y()), "click", "1" });
    }
    // Selects the first row of the favorites list with a click, as a user does.
    void clickFirstRow(const QString& window)
    {
        // The list's top left corner in the window, below its header.
        click(geometryOf(window).topLeft() + QPoint(10 + 60, 61 + 32));
    }
    // Types `path` into the file dialog `files` and takes it; whether the dialog closed.
    bool chooseFile(const QString& files, const QString& path)
    {
        m_session.focusAndType(files, "ctrl+a");
        m_session.run("xdotool", { "type", "--delay", "5", path });
        // The first Return may only take the completion the dialog offers.
        return pollUntil([&] {
            m_session.focusAndType(files, "Return");
            return !isShown(files);
        });
    }
    // Alt+Q saves and ends the program, which must end well.
    void quit(const QString& window)
    {
        m_session.focusAndType(window, "alt+q");
        ASSERT_TRUE(m_nelvox->waitForFinished(15000)) << "Alt+Q did not end Nelvox";
        EXPECT_EQ(m_nelvox->exitCode(), 0);
    }

    HttpServer m_server;
    QProcess* m_nelvox = nullptr;
    QRect m_icon;
};

TEST_F(NewUser, TheTrayIconAnswersWhileTheChangePromptWaits)
{
    m_server.setPage(kPage.toStdString(), "<html><body>News, and more news</body></html>\n");
    writeData(SnapshotFileName(kPage), "<html><body>News</body></html>\r\n");
    writeData("nelvox.ini", ("1\r\n" + kPage + " HNever \r\n").toUtf8());
    const QString window = startAndShow();
    ASSERT_FALSE(window.isEmpty()) << "Nelvox's window did not come back from the tray";

    m_session.focusAndType(window, "alt+u");
    const QString prompt = newWindow("^Nelvox$", {});
    ASSERT_FALSE(prompt.isEmpty()) << "Update All Now found no change to announce";
    // The prompt has the focus before the icon is used, as it has for a user.
    auto focused = [&](const QString& expected) {
        return pollUntil([&] { return m_session.run("xdotool", { "getwindowfocus" }).trimmed() == expected; }, 5000);
    };
    ASSERT_TRUE(focused(prompt)) << "the prompt did not take the focus";

    // The menu opens, and its About box shows.
    clickIcon(3);
    QString menu = newWindow({}, { prompt, window });
    ASSERT_FALSE(menu.isEmpty()) << "the icon's menu did not open while the prompt waits";
    // Show Nelvox, Update All Now, About Nelvox..., Quit Nelvox: About is the third of four.
    QRect items = geometryOf(menu);
    click(QPoint(items.left() + 20, items.top() + items.height() * 5 / 8));
    const QString about = newWindow("^About Nelvox$", {});
    ASSERT_FALSE(about.isEmpty()) << "About did not show while the prompt waits";
    m_session.focusAndType(about, "Return");
    ASSERT_TRUE(pollUntil([&] { return !isShown(about); })) << "the About box did not close";

    // The focus on the window that the prompt holds; a left click gives it back to the prompt.
    m_session.run("xdotool", { "windowfocus", window });
    ASSERT_TRUE(focused(window));
    clickIcon(1);
    ASSERT_TRUE(focused(prompt)) << "a click on the icon did not give the prompt the focus";

    // Quit answers the prompt as No, saves and ends.
    QFile::remove(m_data.filePath("nelvox.ini"));
    clickIcon(3);
    menu = newWindow({}, { prompt, window });
    ASSERT_FALSE(menu.isEmpty()) << "the icon's menu did not open the second time";
    items = geometryOf(menu);
    click(QPoint(items.left() + 20, items.bottom() - items.height() / 8));
    ASSERT_TRUE(m_nelvox->waitForFinished(15000)) << "Quit from the tray did not end Nelvox";
    EXPECT_EQ(m_nelvox->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_nelvox->exitCode(), 0);
    EXPECT_TRUE(data("nelvox.ini").startsWith("1\r\n" + kPage.toUtf8() + " H")) << data("nelvox.ini").toStdString();
    EXPECT_TRUE(data("nelvox.ini").endsWith(" YES\r\n")) << "the change is kept: " << data("nelvox.ini").toStdString();
}

TEST_F(NewUser, AFavoriteWhoseHostRefusesConnectionsShowsWhyInItsTip)
{
    // Nothing listens on the discard port of the loopback address; no proxy stands between.
    const QString refused = QStringLiteral("http://127.0.0.1:9/");
    writeData("nelvox.ini", ("1\r\n" + refused + " HNever \r\n").toUtf8());
    const QString window = startAndShow(0);
    ASSERT_FALSE(window.isEmpty()) << "Nelvox's window did not come back from the tray";
    const QPoint row = geometryOf(window).topLeft() + QPoint(10 + 60, 61 + 32);
    // Whether a tip opens over the row: a top-level window of Nelvox's besides the main one.
    auto tipShows = [&](int timeoutMs) {
        m_session.run("xdotool", { "mousemove", QString::number(row.x()), QString::number(row.y() + 200) });
        m_session.run("xdotool", { "mousemove", QString::number(row.x()), QString::number(row.y()) });
        return pollUntil(
            [&] {
                const QStringList shown = m_session.run("xdotool", { "search", "--onlyvisible", "--class", "nelvox" })
                                              .split('\n', Qt::SkipEmptyParts);
                return std::any_of(shown.begin(), shown.end(),
                    [&](const QString& candidate) { return candidate != window && isTopLevel(candidate); });
            },
            timeoutMs);
    };
    EXPECT_FALSE(tipShows(2000)) << "a short address that never failed has no tip";

    m_session.focusAndType(window, "alt+u");
    ASSERT_TRUE(pollUntil([&] { return data("nelvox.state").contains("failure=connection refused"); }))
        << data("nelvox.state").toStdString();
    EXPECT_TRUE(tipShows(5000)) << "the failing favorite shows no tip";
    quit(window);
    EXPECT_TRUE(data("nelvox.ini").contains(refused.toUtf8() + " HNever \r\n")) << "a failure leaves the row as it was";
}

TEST_F(NewUser, AFavoriteWhoseFirstDownloadFailedGetsItsFirstSnapshotAtTheNextCheck)
{
    m_server.setPage(kPage.toStdString(), "<html><body>News</body></html>\n");
    writeData("nelvox.ini", ("1\r\n" + kPage + " HNever \r\n").toUtf8());
    const QString window = startAndShow();
    ASSERT_FALSE(window.isEmpty()) << "Nelvox's window did not come back from the tray";

    m_session.focusAndType(window, "alt+u");
    ASSERT_TRUE(pollUntil([&] { return data(SnapshotFileName(kPage)) == "<html><body>News</body></html>\r\n"; }))
        << "no first snapshot";
    ASSERT_TRUE(pollUntil([&] { return !data("nelvox.ini").contains("Never"); })) << data("nelvox.ini").toStdString();
    EXPECT_TRUE(data("nelvox.ini").endsWith(" \r\n"))
        << "a first snapshot is no change: " << data("nelvox.ini").toStdString();
    EXPECT_TRUE(m_session.windows("^Nelvox$").isEmpty()) << "no prompt for a first snapshot";
    quit(window);
}

TEST_F(NewUser, DeletingOneOfTwoFavoritesWithOneAddressKeepsTheOthersSnapshot)
{
    const QString snapshot = SnapshotFileName(kPage);
    writeData(snapshot, "<html><body>News</body></html>\r\n");
    writeData(PreviousCopyName(snapshot), "<html><body>Old</body></html>\r\n");
    writeData("nelvox.ini", ("2\r\n" + kPage + " HNever \r\n" + kPage + " DNever \r\n").toUtf8());
    const QString window = startAndShow();
    ASSERT_FALSE(window.isEmpty()) << "Nelvox's window did not come back from the tray";

    clickFirstRow(window);
    m_session.focusAndType(window, "alt+d");
    ASSERT_TRUE(pollUntil([&] { return data("nelvox.ini").startsWith("1\r\n"); })) << data("nelvox.ini").toStdString();
    EXPECT_EQ(data(snapshot), "<html><body>News</body></html>\r\n") << "the other favorite's snapshot went";
    EXPECT_EQ(data(PreviousCopyName(snapshot)), "<html><body>Old</body></html>\r\n")
        << "the other favorite's previous copy went";
    quit(window);
}

// An address typed without its scheme is stored with http://, and the selection stays on its
// favorite while Add sorts the new one in above it, so the next Delete removes that favorite.
TEST_F(NewUser, AddTakesAnAddressWithoutItsSchemeAndDeleteRemovesTheFavoriteThatWasSelected)
{
    const QString b = QStringLiteral("http://www.example.com/b.html");
    const QString d = QStringLiteral("http://www.example.com/d.html");
    m_server.setPage("http://www.example.com/a.html", "<html><body>A</body></html>\n");
    writeData("nelvox.ini", ("2\r\n" + b + " HNever \r\n" + d + " HNever \r\n").toUtf8());
    const QString window = startAndShow();
    ASSERT_FALSE(window.isEmpty()) << "Nelvox's window did not come back from the tray";

    clickFirstRow(window);
    // Escape opens Add; the focus starts on Cancel, then the address, then Hourly.
    m_session.focusAndType(window, "Escape");
    const QString dialog = newWindow("^" + kCaption + " - Add or Edit Favorite$", {});
    ASSERT_FALSE(dialog.isEmpty()) << "Escape did not open Add Favorite";
    m_session.focusAndType(dialog, "Tab");
    m_session.run("xdotool", { "type", "--delay", "10", "www.example.com/a.html" });
    m_session.run("xdotool", { "key", "Tab", "space", "Return" });
    ASSERT_TRUE(pollUntil([&] { return data("nelvox.ini").startsWith("3\r\n"); })) << data("nelvox.ini").toStdString();
    EXPECT_TRUE(data("nelvox.ini").startsWith("3\r\nhttp://www.example.com/a.html H"))
        << "the address is stored with http:// and sorted first: " << data("nelvox.ini").toStdString();

    m_session.focusAndType(window, "alt+d");
    ASSERT_TRUE(pollUntil([&] { return data("nelvox.ini").startsWith("2\r\n"); })) << data("nelvox.ini").toStdString();
    EXPECT_FALSE(data("nelvox.ini").contains(b.toUtf8())) << "Delete removed another favorite than the selected one";
    EXPECT_TRUE(data("nelvox.ini").contains("http://www.example.com/a.html H"));
    EXPECT_TRUE(data("nelvox.ini").contains(d.toUtf8()));
    quit(window);
}

TEST_F(NewUser, VisitAndHelpWithoutABrowserSaySoAndKeepTheMark)
{
    for (const char* browser : { "xdg-open", "firefox", "chromium", "google-chrome", "opera", "mozilla" }) {
        if (!QStandardPaths::findExecutable(QString::fromLatin1(browser)).isEmpty())
            GTEST_SKIP() << browser << " is installed: this desktop has a browser";
    }
    writeData("nelvox.ini", ("1\r\n" + kPageLine).toUtf8());
    qunsetenv("BROWSER");
    qunsetenv("DEFAULT_BROWSER");
    const QString window = startAndShow();
    ASSERT_FALSE(window.isEmpty()) << "Nelvox's window did not come back from the tray";

    clickFirstRow(window);
    m_session.focusAndType(window, "alt+v");
    const QString box = newWindow("^Nelvox$", {});
    ASSERT_FALSE(box.isEmpty()) << "Visit said nothing although no browser took the address";
    m_session.focusAndType(box, "Return");
    ASSERT_TRUE(pollUntil([&] { return !m_session.windows("^Nelvox$").contains(box); }));

    // Help without a browser: the page shows in a window of the program's own.
    m_session.focusAndType(window, "alt+l");
    const QString help = newWindow("^" + kCaption + " - Help$", {});
    ASSERT_FALSE(help.isEmpty()) << "Help showed nothing although no browser took the page";
    m_session.focusAndType(help, "Escape");
    ASSERT_TRUE(pollUntil([&] { return !isShown(help); })) << "Escape did not close the help window";
    quit(window);
    EXPECT_EQ(data("nelvox.ini"), ("1\r\n" + kPageLine).toUtf8()) << "the favorite lost its YES";
}

TEST_F(NewUser, AddRefusesAnAddressNelvoxCannotFetch)
{
    const QString window = startAndShow();
    ASSERT_FALSE(window.isEmpty()) << "Nelvox's window did not come back from the tray";

    // Escape opens Add; the focus starts on Cancel, then the address, then Hourly.
    m_session.focusAndType(window, "Escape");
    const QString dialog = newWindow("^" + kCaption + " - Add or Edit Favorite$", {});
    ASSERT_FALSE(dialog.isEmpty()) << "Escape did not open Add Favorite";
    m_session.focusAndType(dialog, "Tab");
    m_session.run("xdotool", { "type", "--delay", "10", "ftp://127.0.0.1/pub/" });
    m_session.run("xdotool", { "key", "Tab", "space", "Return" });
    const QString box = newWindow("^Nelvox$", {});
    ASSERT_FALSE(box.isEmpty()) << "OK took an ftp:// address";
    m_session.focusAndType(box, "Return");
    ASSERT_TRUE(pollUntil([&] { return !m_session.windows("^Nelvox$").contains(box); }));
    EXPECT_FALSE(m_session.windows("^" + kCaption + " - Add or Edit Favorite$").isEmpty())
        << "the refusal closed the dialog";
    m_session.focusAndType(dialog, "Escape");
    ASSERT_TRUE(pollUntil([&] { return m_session.windows("Add or Edit Favorite").isEmpty(); }));
    quit(window);
    EXPECT_EQ(data("nelvox.ini"), "0\r\n");
}

// A rule chosen in the Edit dialog keeps a counter quiet while a re-indented page under Page
// length rings; the Changes window offers Page text for it in one key.
TEST_F(NewUser, ARuleSetInTheDialogKeepsACounterQuietAndTheChangesWindowOffersTheCure)
{
    const QString shop = QStringLiteral("http://www.example.com/a-shop.html");
    const QByteArray news
        = "<html><body><p>Storm warning</p><p>Read 8,204 times</p><p>Session 5eed0000</p></body></html>\n";
    m_server.setPage(shop.toStdString(), "<html><body><p>Shoes 40 EUR</p></body></html>\n");
    m_server.setPage(kPage.toStdString(), news);
    writeData(SnapshotFileName(shop), "<html><body><p>Shoes 40 EUR</p></body></html>\r\n");
    writeData(SnapshotFileName(kPage), news);
    writeData(
        "nelvox.ini", ("2\r\n" + shop + " H07/09/04 05:03 PM \r\n" + kPage + " H07/09/04 05:03 PM \r\n").toUtf8());
    const QString window = startAndShow();
    ASSERT_FALSE(window.isEmpty()) << "Nelvox's window did not come back from the tray";

    // Edit the second row: Hourly, Page text with Numbers, OK.
    clickFirstRow(window);
    m_session.focusAndType(window, "Down");
    m_session.focusAndType(window, "alt+e");
    const QString dialog = newWindow("^" + kCaption + " - Add or Edit Favorite$", {});
    ASSERT_FALSE(dialog.isEmpty()) << "Alt+E did not open Edit";
    m_session.focusAndType(dialog, "Tab");
    // An access key clicks its button a moment later, as a mouse click looks: OK waits for that.
    m_session.run("xdotool", { "key", "--delay", "400", "Tab", "space", "alt+t", "alt+n", "Return" });
    ASSERT_TRUE(pollUntil([&] {
        return data(kRulesFileName).contains(("[" + kPage + "]\r\nrule=page text").toUtf8());
    })) << data(kRulesFileName).toStdString();
    EXPECT_TRUE(data(kRulesFileName).contains("\r\nnumbers=ignore\r\n"));

    // Page text chosen in the dialog ignores what changes by itself.
    EXPECT_TRUE(data(kRulesFileName).contains("\r\nself-changing=ignore\r\n")) << data(kRulesFileName).toStdString();

    // The counter moves, and a session token differs at every load, which the second load tells
    // apart; the shop's markup is re-indented: only the shop rings.
    std::atomic<int> loads = 0;
    m_server.setGeneratedPage(kPage.toStdString(), [&] {
        const QByteArray token = QByteArray::number(0x5eed0000 + 7919 * ++loads, 16);
        return QByteArray(news).replace("8,204", "8,311").replace("5eed0000", token);
    });
    m_server.setPage(shop.toStdString(), "<html>\n  <body>\n    <p>Shoes 40 EUR</p>\n  </body>\n</html>\n");
    m_session.focusAndType(window, "alt+u");
    const QString prompt = newWindow("^Nelvox$", {});
    ASSERT_FALSE(prompt.isEmpty()) << "the re-indented shop was no change under Page length";
    m_session.focusAndType(prompt, "Escape");
    ASSERT_TRUE(pollUntil([&] { return data("nelvox.ini").contains(" YES\r\n"); })) << data("nelvox.ini").toStdString();
    EXPECT_TRUE(data("nelvox.ini").contains(shop.toUtf8() + " H")) << data("nelvox.ini").toStdString();
    EXPECT_FALSE(data("nelvox.ini").contains(kPage.toUtf8() + " H07/09/04 05:03 PM YES"));
    EXPECT_TRUE(data("nelvox.ini").endsWith(" \r\n"))
        << "the counter or the token rang: " << data("nelvox.ini").toStdString();
    EXPECT_GE(loads, 2) << "the token's page was not loaded a second time";
    EXPECT_TRUE(pollUntil([&] { return data(kRulesFileName).contains("\r\nlearned-line=Session #\r\n"); }))
        << data(kRulesFileName).toStdString();

    // The shop's Changes window, from the row's menu: Alt+I takes the offer.
    clickFirstRow(window);
    m_session.focusAndType(window, "Menu");
    m_session.run("xdotool", { "key", "--delay", "100", "c" });
    const QString changes = newWindow("^" + kCaption + " - Changes$", {});
    ASSERT_FALSE(changes.isEmpty()) << "the row's menu did not open the Changes window";
    m_session.focusAndType(changes, "alt+i");
    ASSERT_TRUE(pollUntil([&] { return data(kRulesFileName).contains(("[" + shop + "]\r\nrule=page text").toUtf8()); }))
        << data(kRulesFileName).toStdString();
    m_session.focusAndType(changes, "Escape");
    quit(window);
    EXPECT_TRUE(data(kRulesFileName).contains(("[" + kPage + "]").toUtf8())) << "Quit kept both rules";
}

// Three changes while the user is away all show in the Changes window, read from the clipboard
// as a user would copy them; after a Visit only what came later shows as new; and the earlier
// copy opens in the browser from a file of its own.
TEST_F(NewUser, TheChangesWindowShowsEverythingSinceTheLastLookAndAVisitIsALook)
{
    if (QStandardPaths::findExecutable("xclip").isEmpty())
        GTEST_SKIP() << "xclip is not installed (scripts/setup.sh --tests installs it)";
    // The desktop's opener, which the program finds first on its path: it writes down what it got.
    QTemporaryDir bin;
    const QString opened = bin.filePath("opened");
    writeData("xdg-open", "#!/bin/sh\necho \"$1\" >> \"$NELVOX_TEST_OPENED\"\n");
    ASSERT_TRUE(QFile::rename(m_data.filePath("xdg-open"), bin.filePath("xdg-open")));
    QFile::setPermissions(bin.filePath("xdg-open"), QFile::ReadOwner | QFile::ExeOwner);
    QProcessEnvironment extra;
    extra.insert("PATH", bin.path() + ':' + m_session.environment().value("PATH", qEnvironmentVariable("PATH")));
    extra.insert("NELVOX_TEST_OPENED", opened);

    QByteArray page = "<html><body><p>Opening hours</p>\n";
    m_server.setPage(kPage.toStdString(), page);
    writeData(SnapshotFileName(kPage), page);
    writeData("nelvox.ini", ("1\r\n" + kPage + " H07/09/04 05:03 PM \r\n").toUtf8());
    const QString window = startAndShow(m_server.port(), extra);
    ASSERT_FALSE(window.isEmpty()) << "Nelvox's window did not come back from the tray";
    // A change found by Update All Now, its prompt answered No, and the copy in the history.
    int copies = 1;
    auto change = [&](const char* day) {
        page += "<p>" + QByteArray(day) + "</p>\n";
        m_server.setPage(kPage.toStdString(), page);
        m_session.focusAndType(window, "alt+u");
        const QString prompt = newWindow("^Nelvox$", {});
        ASSERT_FALSE(prompt.isEmpty()) << day << " was no change";
        m_session.focusAndType(prompt, "Escape");
        ++copies;
        ASSERT_TRUE(pollUntil([&] {
            try {
                return HistoryDatabase(m_data.filePath("nelvox.history")).copies(kPage).size() == copies;
            } catch (const HistoryError&) {
                return false; // not there yet
            }
        })) << "the history did not keep "
            << day;
    };
    // The Changes window's lines, copied from it with Ctrl+A, Ctrl+C; the row is selected with
    // a click unless it is already (a second click so soon would be a double-click, which opens
    // a window of its own).
    auto shownChanges = [&](bool select = true) {
        if (select)
            clickFirstRow(window);
        m_session.focusAndType(window, "Menu");
        m_session.run("xdotool", { "key", "--delay", "100", "c" });
        const QString changes = newWindow("^" + kCaption + " - Changes$", {});
        if (changes.isEmpty())
            return QStringList { "no Changes window" };
        m_session.focusAndType(changes, "ctrl+a");
        m_session.focusAndType(changes, "ctrl+c");
        QString copied;
        pollUntil([&] { return !(copied = m_session.run("xclip", { "-o", "-selection", "clipboard" })).isEmpty(); });
        return QStringList { copied, changes };
    };

    for (const char* day : { "Monday", "Tuesday", "Wednesday" })
        change(day);
    QStringList shown = shownChanges();
    ASSERT_EQ(shown.size(), 2) << shown.join('\n').toStdString();
    for (const char* day : { "Monday", "Tuesday", "Wednesday" })
        EXPECT_TRUE(shown[0].contains(QStringLiteral("+ %1").arg(day))) << shown[0].toStdString();
    // Open this copy, the earlier one: the page as it was before Monday (a page without a head
    // gets the site's address first).
    m_session.focusAndType(shown[1], "alt+o");
    m_session.run("xdotool", { "key", "--delay", "200", "e" });
    ASSERT_TRUE(pollUntil([&] { return !readFile(opened).isEmpty(); })) << "the copy was not handed to the browser";
    const QString copyFile = QUrl(QString::fromUtf8(readFile(opened)).trimmed()).toLocalFile();
    EXPECT_EQ(readFile(copyFile), "<base href=\"" + kPage.toUtf8() + "\"><html><body><p>Opening hours</p>\n")
        << copyFile.toStdString();
    QFile::remove(opened);
    m_session.focusAndType(shown[1], "Escape");

    // The window was a look. Two changes, then Visit: nothing is new since, and the window shows
    // the last change alone; after one more change, only that one.
    change("Thursday");
    change("Friday");
    clickFirstRow(window);
    m_session.focusAndType(window, "alt+v");
    ASSERT_TRUE(pollUntil([&] { return readFile(opened).contains(kPage.toUtf8()); })) << "Visit opened nothing";
    shown = shownChanges(false);
    ASSERT_EQ(shown.size(), 2) << shown.join('\n').toStdString();
    EXPECT_TRUE(shown[0].contains("+ Friday")) << shown[0].toStdString();
    EXPECT_FALSE(shown[0].contains("+ Thursday")) << "Visit was no look: " << shown[0].toStdString();
    m_session.focusAndType(shown[1], "Escape");
    change("Saturday");
    shown = shownChanges();
    ASSERT_EQ(shown.size(), 2) << shown.join('\n').toStdString();
    EXPECT_TRUE(shown[0].contains("+ Saturday")) << shown[0].toStdString();
    EXPECT_FALSE(shown[0].contains("+ Friday")) << shown[0].toStdString();
    m_session.focusAndType(shown[1], "Escape");
    quit(window);
}

// A change the checks have not yet seen stays in the snapshot through an Edit that keeps the
// address: a word of the same length is no change by page length, but is by page text.
TEST_F(NewUser, AnEditThatKeepsTheAddressKeepsAChangeNotYetReported)
{
    const QByteArray was = "<html><body><p>Open on Monday</p></body></html>\r\n";
    m_server.setPage(kPage.toStdString(), "<html><body><p>Open on Friday</p></body></html>\n");
    writeData(SnapshotFileName(kPage), was);
    writeData("nelvox.ini", ("1\r\n" + kPage + " D07/09/04 05:03 PM \r\n").toUtf8());
    const QString window = startAndShow();
    ASSERT_FALSE(window.isEmpty()) << "Nelvox's window did not come back from the tray";

    // Edit: Hourly, Page text, OK.
    clickFirstRow(window);
    m_session.focusAndType(window, "alt+e");
    const QString dialog = newWindow("^" + kCaption + " - Add or Edit Favorite$", {});
    ASSERT_FALSE(dialog.isEmpty()) << "Alt+E did not open Edit";
    m_session.focusAndType(dialog, "Tab");
    m_session.run("xdotool", { "key", "--delay", "400", "Tab", "space", "alt+t", "Return" });
    ASSERT_TRUE(pollUntil([&] { return data("nelvox.ini").contains(kPage.toUtf8() + " H07/09/04 05:03 PM \r\n"); }))
        << data("nelvox.ini").toStdString();
    EXPECT_TRUE(data(kRulesFileName).contains(("[" + kPage + "]\r\nrule=page text").toUtf8()));
    EXPECT_EQ(data(SnapshotFileName(kPage)), was) << "the kept address was downloaded again";
    EXPECT_EQ(m_server.requestCount(kPage.toStdString()), 0);

    m_session.focusAndType(window, "alt+u");
    const QString prompt = newWindow("^Nelvox$", {});
    ASSERT_FALSE(prompt.isEmpty()) << "the change went unseen";
    m_session.focusAndType(prompt, "Escape");
    ASSERT_TRUE(pollUntil([&] { return data("nelvox.ini").endsWith(" YES\r\n"); })) << data("nelvox.ini").toStdString();
    quit(window);
}

// A server that asks to wait is left alone, and only that server: another port of the same host
// is checked as before, and the row of the server that asked says until when.
TEST_F(NewUser, AServerThatAsksToWaitKeepsItsWaitToItself)
{
    HttpServer other;
    m_server.setPage("/busy", "busy\n", 503, { { "Retry-After", "3600" } });
    other.setPage("/free", "free\n");
    const QString busy = m_server.url("/busy");
    const QString free = other.url("/free");
    writeData("nelvox.ini", ("2\r\n" + busy + " HNever \r\n" + free + " HNever \r\n").toUtf8());
    const QString window = startAndShow(0);
    ASSERT_FALSE(window.isEmpty()) << "Nelvox's window did not come back from the tray";

    // What a run found is saved once it has ended.
    m_session.focusAndType(window, "alt+u");
    ASSERT_TRUE(pollUntil([&] { return data("nelvox.state").contains("failure=the server asked to wait until "); }))
        << data("nelvox.state").toStdString();
    m_session.focusAndType(window, "alt+u");
    ASSERT_TRUE(pollUntil([&] { return other.requestCount("/free") == 2; })) << "the other port was not checked again";
    EXPECT_EQ(m_server.requestCount("/busy"), 1) << "the server that asked was asked again";
    EXPECT_EQ(data(SnapshotFileName(free)), "free\r\n");
    quit(window);
    EXPECT_FALSE(data("nelvox.ini").contains(free.toUtf8() + " HNever")) << data("nelvox.ini").toStdString();
}

TEST_F(NewUser, ImportsABookmarksFileThroughTheMenuTheFileDialogAndTheChooser)
{
    // 40 links in four folders, as a browser exports them.
    QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    QStringList addresses;
    for (int folder = 0; folder < 4; ++folder) {
        html += "<DT><H3>Folder " + QByteArray::number(folder) + "</H3>\n<DL><p>\n";
        for (int link = 0; link < 10; ++link) {
            addresses << QStringLiteral("http://www.example.com/%1/%2.html").arg(folder).arg(link);
            m_server.setPage(addresses.last().toStdString(), "<p>" + addresses.last().toUtf8() + "</p>\n");
            html += "<DT><A HREF=\"" + addresses.last().toUtf8() + "\" ADD_DATE=\"1700000000\">Page</A>\n";
        }
        html += "</DL><p>\n";
    }
    writeData("bookmarks.html", html + "</DL><p>\n");
    const QString window = startAndShow();
    ASSERT_FALSE(window.isEmpty()) << "Nelvox's window did not come back from the tray";

    // The list is empty: a right-click anywhere in it opens its menu, Import Bookmarks first.
    const QPoint inList = geometryOf(window).topLeft() + QPoint(70, 150);
    m_session.run("xdotool", { "mousemove", QString::number(inList.x()), QString::number(inList.y()), "click", "3" });
    const QString menu = newWindow({}, { window });
    ASSERT_FALSE(menu.isEmpty()) << "no menu on the list";
    const QRect items = geometryOf(menu);
    click(QPoint(items.left() + 20, items.top() + items.height() / 4));

    const QString files = newWindow("^Import Bookmarks$", {});
    ASSERT_FALSE(files.isEmpty()) << "Import Bookmarks opened no file dialog";
    ASSERT_TRUE(chooseFile(files, m_data.filePath("bookmarks.html"))) << "the file dialog did not take the file";

    const QString chooser = newWindow("^" + kCaption + " - Import Bookmarks$", {});
    ASSERT_FALSE(chooser.isEmpty()) << "no chooser for the file";
    m_session.focusAndType(chooser, "Return");
    ASSERT_TRUE(pollUntil([&] {
        const QByteArray saved = data("nelvox.ini");
        return saved.startsWith("40\r\n") && !saved.contains("Never");
    })) << "the 40 favorites were not saved with their first snapshots: "
        << data("nelvox.ini").toStdString();
    for (const QString& address : addresses) {
        EXPECT_TRUE(data("nelvox.ini").contains(address.toUtf8() + " D")) << address.toStdString();
        EXPECT_EQ(data(SnapshotFileName(address)), "<p>" + address.toUtf8() + "</p>\r\n") << address.toStdString();
    }
    quit(window);
}

// On a German and on a French desktop every window the program opens speaks that language: the
// change prompt, a failing favorite's tip (its reason kept in English), the row's menu and the
// Changes window, Import's file dialog and chooser, Edit, the icon's menu and the About box. Each
// leaves a screenshot in the build directory, to look at for English or cut-off text.
TEST_F(NewUser, EveryWindowItOpensSpeaksTheDesktopsLanguage)
{
    m_server.setPage(kPage.toStdString(), "<html><body><p>News</p><p>More news</p></body></html>\n");
    // Its snapshot is a folder: its checks fail, for a reason of Nelvox's own.
    const QString failing = QStringLiteral("http://www.example.com/zz.html");
    m_server.setPage(failing.toStdString(), "<p>Z</p>\n");
    ASSERT_TRUE(QDir().mkpath(m_data.filePath(SnapshotFileName(failing) + "/inside")));
    writeData("bookmarks.html", "<DL><p>\n<DT><A HREF=\"http://www.example.com/b.html\">B</A>\n</DL><p>\n");
    for (const QString& language : { QStringLiteral("de"), QStringLiteral("fr") }) {
        SCOPED_TRACE(language.toStdString());
        const auto text = [&](const char* context, const char* source) {
            return TranslatedText(language, QString::fromLatin1(context), QString::fromUtf8(source));
        };
        const auto named = [&](const QString& title) { return "^" + QRegularExpression::escape(title) + "$"; };
        const auto shoot = [&](const QString& shown, const char* name) {
            m_session.run("import",
                { "-window", shown, QStringLiteral(NELVOX_E2E_OUTPUT_DIR "/nelvox-%1-%2.png").arg(name, language) });
        };
        // The window named `pattern` (a menu or a tip: any new one) opens; its screenshot is
        // taken, and `close` (a key, or none) closes it. Its id, or empty.
        const auto look = [&](const QString& pattern, const char* name, const char* close) {
            const QString shown = newWindow(pattern, { m_session.windows(named(kCaption)) });
            EXPECT_FALSE(shown.isEmpty()) << "no " << name << " named in the language";
            if (!shown.isEmpty())
                shoot(shown, name);
            if (!shown.isEmpty() && close) {
                m_session.focusAndType(shown, QString::fromLatin1(close));
                EXPECT_TRUE(pollUntil([&] { return !isShown(shown); })) << name << " did not close";
            }
            return shown;
        };
        const auto captioned
            = [&](const char* context, const char* source) { return named(kCaption + " - " + text(context, source)); };
        writeData(SnapshotFileName(kPage), "<html><body><p>News</p></body></html>\r\n");
        writeData("nelvox.ini", ("2\r\n" + kPage + " HNever \r\n" + failing + " HNever \r\n").toUtf8());
        QProcessEnvironment environment;
        environment.insert("LANGUAGE", language);
        const QString window = startAndShow(m_server.port(), environment);
        ASSERT_FALSE(window.isEmpty()) << "Nelvox's window did not come back from the tray";
        shoot(window, "window");

        m_session.focusAndType(window, "alt+" + AccessKey(text("CNelvoxDlg", "&Update All Now")));
        ASSERT_FALSE(look("^Nelvox$", "prompt", "Escape").isEmpty()) << "the translated key found no change";
        EXPECT_TRUE(data("nelvox.state").contains("\r\nfailure=The snapshot ")) << data("nelvox.state").toStdString();

        // The tip of the second row (rows are 14 pixels high), which failed; Qt shows tips in the
        // active window only.
        m_session.run("xdotool", { "windowfocus", "--sync", window });
        const QPoint second = geometryOf(window).topLeft() + QPoint(10 + 60, 61 + 32 + 8);
        m_session.run("xdotool", { "mousemove", QString::number(second.x()), QString::number(second.y() + 200) });
        m_session.run("xdotool", { "mousemove", QString::number(second.x()), QString::number(second.y()) });
        look({}, "tip", nullptr);

        // The row's menu: its Changes window, then Import's file dialog.
        const auto fromRowMenu = [&](const char* item) {
            clickFirstRow(window);
            m_session.focusAndType(window, "Menu");
            const bool opened = !look({}, "row-menu", nullptr).isEmpty();
            m_session.run("xdotool", { "key", "--delay", "100", AccessKey(text("FavoritesView", item)) });
            return opened;
        };
        ASSERT_TRUE(fromRowMenu("Show &Changes..."));
        look(captioned("CChangesDlg", "Changes"), "changes", "Escape");
        ASSERT_TRUE(fromRowMenu("&Import Bookmarks..."));
        const QString files = look(named(text("FavoriteCommands", "Import Bookmarks")), "import-files", nullptr);
        ASSERT_FALSE(files.isEmpty());
        ASSERT_TRUE(chooseFile(files, m_data.filePath("bookmarks.html"))) << "the file dialog did not take the file";
        look(captioned("CImportDlg", "Import Bookmarks"), "import", "Escape");

        clickFirstRow(window);
        m_session.focusAndType(window, "alt+" + AccessKey(text("CNelvoxDlg", "&Edit Selected Favorites")));
        look(captioned("CAddEditDlg", "Add or Edit Favorite"), "edit", "Escape");

        clickIcon(3);
        const QString trayMenu = look({}, "tray-menu", nullptr);
        ASSERT_FALSE(trayMenu.isEmpty());
        const QRect items = geometryOf(trayMenu);
        click(QPoint(items.left() + 20, items.top() + items.height() * 5 / 8));
        look(named(text("CAboutDlg", "About Nelvox")), "about", "Return");

        m_session.focusAndType(window, "alt+" + AccessKey(text("CNelvoxDlg", "&Quit Nelvox")));
        ASSERT_TRUE(m_nelvox->waitForFinished(15000)) << "the translated Quit key did not end Nelvox";
        EXPECT_EQ(m_nelvox->exitCode(), 0);
    }
}

} // namespace
