// Visit Selected Favorites: what the desktop is asked to open, in which order, and what
// happens to the rows and the favorites file.
#include "app/CNelvoxDlg.h"
#include "platform/BrowserAddress.h"
#include "support/ModalAnswerer.h"
#include "support/TempWorkDir.h"
#include "support/UrlRecorder.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// Closes, as a failure, a modal window that is still up when the timer fires; every window
// a test expects is answered within milliseconds.
// The browser stand-in also takes the schemes that must never reach a browser, so that
// handing one on shows up in its record instead of starting a program.
const QStringList kRecordedSchemes = { "http", "https", "ftp", "file", "mailto", "javascript", "c", "telnet" };

class VisitSelected : public InTempDir {
protected:
    // Rows of (address, CHANGED); Updates and Last Updated get values of their own per row.
    void fill(CNelvoxDlg& window, std::initializer_list<std::pair<QString, QString>> rows)
    {
        FavoritesList& list = window.favorites();
        for (const auto& [address, changed] : rows) {
            const int row = list.count();
            list.insertFavorite(row, address);
            list.setText(row, FavoritesList::Updates, QStringLiteral("D"));
            list.setText(row, FavoritesList::LastUpdated, QStringLiteral("07/0%1/04 05:03 PM").arg(row + 1));
            list.setText(row, FavoritesList::Changed, changed);
        }
    }
    void select(CNelvoxDlg& window, std::initializer_list<int> rows)
    {
        QItemSelectionModel* selection = window.findChild<QTreeView*>("listFavorites")->selectionModel();
        for (const int row : rows)
            selection->select(
                window.favorites().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    static QStringList column(CNelvoxDlg& window, int column)
    {
        QStringList cells;
        for (int row = 0; row < window.favorites().count(); ++row)
            cells << window.favorites().text(row, column);
        return cells;
    }
    static QStringList opened(const UrlRecorder& browser)
    {
        QStringList urls;
        for (const QUrl& url : browser.urls())
            urls << url.toString();
        return urls;
    }

    StuckModalGuard m_stuckGuard;
};

TEST_F(VisitSelected, OpensBottomUpClearsTheMarksAndSavesNothing)
{
    UrlRecorder browser(kRecordedSchemes);
    CNelvoxDlg window;
    // Out of order on purpose: Visit must not sort.
    fill(window,
        { { "http://d.example/", "YES" }, { "https://b.example/news?id=1#top", "YES" }, { "http://c.example/", "YES" },
            { "ftp://a.example/pub/", "" }, { "http://e.example/", "YES" } });
    select(window, { 1, 3, 0 });
    const QStringList stamps = column(window, FavoritesList::LastUpdated);

    ModalAnswerer answers;
    answers.thenClick("OK");
    window.RunCommand([&] { window.OnVisitSelected(); });

    EXPECT_EQ(opened(browser),
        QStringList({ "ftp://a.example/pub/", "https://b.example/news?id=1#top", "http://d.example/" }))
        << "one request per selected row, the bottom-most first";
    EXPECT_EQ(column(window, FavoritesList::Changed), QStringList({ "", "", "YES", "", "YES" }))
        << "the selected rows lose their mark, the others keep it";
    EXPECT_EQ(column(window, FavoritesList::WebSite),
        QStringList({ "http://d.example/", "https://b.example/news?id=1#top", "http://c.example/",
            "ftp://a.example/pub/", "http://e.example/" }))
        << "the list keeps its order";
    EXPECT_EQ(column(window, FavoritesList::LastUpdated), stamps);
    EXPECT_FALSE(FileExists("nelvox.ini")) << "Visit writes no file";
    EXPECT_EQ(answers.pending(), 1) << "Visit showed a message: " << answers.texts().value(0).toStdString();

    // Nothing selected: nothing opened.
    window.findChild<QTreeView*>("listFavorites")->selectionModel()->clearSelection();
    window.RunCommand([&] { window.OnVisitSelected(); });
    EXPECT_EQ(browser.urls().size(), 3);
}

TEST_F(VisitSelected, HandsTheDesktopOnlyWebAddresses)
{
    UrlRecorder browser(kRecordedSchemes);
    CNelvoxDlg window;
    fill(window,
        { { "www.example.com/page.html", "YES" }, { "file:///etc/passwd", "YES" }, { "/etc/passwd", "YES" },
            { "mailto:someone@example.com", "YES" }, { "javascript:alert(1)", "YES" },
            { "C:\\Windows\\notepad.exe", "YES" }, { "localhost:8080/status", "YES" }, { "telnet://host/", "YES" } });
    select(window, { 0, 1, 2, 3, 4, 5, 6, 7 });

    ModalAnswerer answers;
    answers.thenClick("OK");
    window.RunCommand([&] { window.OnVisitSelected(); });

    EXPECT_EQ(opened(browser), QStringList({ "http://localhost:8080/status", "http://www.example.com/page.html" }))
        << "only the addresses without a scheme open, as http://";
    EXPECT_EQ(column(window, FavoritesList::Changed), QStringList(8, QString()))
        << "every visited row loses its mark, opened or not";
    EXPECT_EQ(answers.pending(), 1) << "an address that is not opened is passed over silently";
}

TEST_F(VisitSelected, AnAddressNoBrowserTookIsReportedAndKeepsItsMark)
{
    // Only https finds a browser.
    UrlRecorder browser({ "https" });
    CNelvoxDlg window;
    fill(window, { { "http://a.example/", "YES" }, { "https://b.example/", "YES" }, { "c.example/x", "YES" } });
    select(window, { 0, 1, 2 });

    ModalAnswerer answers;
    answers.thenClick("OK").thenClick("OK");
    window.RunCommand([&] { window.OnVisitSelected(); });

    ASSERT_EQ(answers.pending(), 1) << "one message for all the addresses not opened";
    const QString message = answers.texts().value(0);
    EXPECT_TRUE(message.contains("http://a.example/") && message.contains("c.example/x")) << message.toStdString();
    EXPECT_FALSE(message.contains("b.example")) << message.toStdString();
    EXPECT_EQ(column(window, FavoritesList::Changed), QStringList({ "YES", "", "YES" }));
}

TEST(BrowserUrl, KeepsWebAddressesAndRefusesEverythingElse)
{
    const std::pair<const char*, const char*> cases[] = {
        // Web addresses as they stand.
        { "http://host/a/b?x=1&y=2#frag", "http://host/a/b?x=1&y=2#frag" },
        { "HTTP://Host.Example/", "http://host.example/" },
        { "https://host:8443/", "https://host:8443/" },
        { "ftp://user@host/pub/file.txt", "ftp://user@host/pub/file.txt" },
        { "http://127.0.0.1:8080/", "http://127.0.0.1:8080/" },
        // No scheme: http.
        { "host.example", "http://host.example" },
        { "host.example/news/index.html", "http://host.example/news/index.html" },
        { "host:8080", "http://host:8080" },
        { "host:8080/page?q=1", "http://host:8080/page?q=1" },
        { "user@host.example/", "http://user@host.example/" },
        // Not opened.
        { "", "" },
        { "file:///etc/passwd", "" },
        { "FILE:/etc/passwd", "" },
        { "/etc/passwd", "" },
        { "./nelvox.ini", "" },
        { "~/notes.txt", "" },
        { "\\\\server\\share\\tool.exe", "" },
        { "C:\\Windows\\System32\\cmd.exe", "" },
        { "c:/windows/notepad.exe", "" },
        { "cmd.exe /c del *.*", "" },
        { "http://host/a b", "" },
        { "http://host/\tx", "" },
        { "mailto:someone@example.com", "" },
        { "javascript:alert(1)", "" },
        { "data:text/html,<b>x</b>", "" },
        { "smb://server/share", "" },
        { "host:notaport", "" },
        { "http:", "" },
        { "http:/path/only", "" },
        { "http:///etc/passwd", "" },
        { "https://", "" },
    };
    for (const auto& [address, expected] : cases) {
        const QUrl url = BrowserUrl(QString::fromUtf8(address));
        EXPECT_EQ(url.toString().toStdString(), expected) << "for \"" << address << "\"";
    }
}

} // namespace
