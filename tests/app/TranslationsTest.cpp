// Every text a window shows goes through the translation files: under a pseudo-language that
// marks each text the .ts files hold, no window shows a text without the mark. And the files
// themselves are complete: no entry is unfinished, obsolete or vanished.
#include "app/CAboutDlg.h"
#include "app/CChangesDlg.h"
#include "app/CNelvoxDlg.h"
#include "app/CSTI.h"
#include "app/CheckProgressDlg.h"
#include "app/FavoritesModel.h"
#include "app/Translators.h"
#include "check/SnapshotName.h"
#include "check/SnapshotReplace.h"
#include "commands/CAddEditDlg.h"
#include "commands/CImportDlg.h"
#include "platform/Files.h"
#include "platform/HostWaits.h"
#include "platform/NelvoxError.h"
#include "platform/Reasons.h"
#include "platform/Version.h"
#include "store/Bookmarks.h"
#include "store/FavoriteStates.h"
#include "store/FavoritesList.h"
#include "support/ModalAnswerer.h"
#include "support/TempWorkDir.h"
#include "support/UrlRecorder.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSet>
#include <QTranslator>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QString kMarkStart = QStringLiteral("⟦");

QString tsFile(const char* language)
{
    return QStringLiteral(NELVOX_TRANSLATIONS_DIR "/nelvox_%1.ts").arg(QLatin1String(language));
}

// Answers every text of the .ts file with the text itself between ⟦ and ⟧.
class PseudoTranslator : public QTranslator {
public:
    explicit PseudoTranslator(const QString& tsFileName)
    {
        QFile file(tsFileName);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << tsFileName.toStdString();
        QXmlStreamReader xml(&file);
        QString context;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"name")
                context = xml.readElementText();
            else if (xml.name() == u"source")
                m_texts.insert(context + u'\x1f' + xml.readElementText());
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    }
    bool isEmpty() const override { return m_texts.isEmpty(); }
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        const QString text = QString::fromUtf8(source);
        if (!m_texts.contains(QString::fromUtf8(context) + u'\x1f' + text))
            return {};
        return kMarkStart + text + QStringLiteral("⟧");
    }
    int count() const { return int(m_texts.size()); }

private:
    QSet<QString> m_texts;
};

// What a user reads of one widget: its window's caption, tip, text, placeholder, items and headings.
QStringList textsOf(QWidget* widget)
{
    QStringList texts { widget->toolTip() };
    if (widget->isWindow())
        texts << widget->windowTitle();
    if (auto* label = qobject_cast<QLabel*>(widget))
        texts << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        texts << button->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        texts << group->title();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        texts << edit->placeholderText();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget))
        texts << edit->placeholderText();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
    }
    if (auto* header = qobject_cast<QHeaderView*>(widget); header && header->model()) {
        for (int i = 0; i < header->count(); ++i)
            texts << header->model()->headerData(i, header->orientation()).toString();
    }
    for (QAction* action : widget->actions())
        texts << action->text() << action->toolTip();
    return texts;
}

// The texts of `window` and its children that carry no mark. Not texts: the program's own
// caption ("Nelvox v1.0"), its name alone, a tool tip Qt made from an action's text, and what
// the widgets named `data` and their children show (an address, a time, Qt's own buttons).
QStringList unmarkedTexts(QWidget* window, const QStringList& data = {})
{
    QStringList unmarked;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : widgets) {
        // Qt's own buttons (Close) take their text from Qt's translations.
        if (data.contains(widget->objectName())
            || (widget->parentWidget() && data.contains(widget->parentWidget()->objectName())))
            continue;
        for (const QString& text : textsOf(widget)) {
            if (text.isEmpty() || text.contains(kMarkStart) || text == NelvoxCaption() || text == u"Nelvox")
                continue;
            unmarked << widget->metaObject()->className() + QStringLiteral(" ") + widget->objectName()
                    + QStringLiteral(": \"") + text + u'"';
        }
    }
    return unmarked;
}

using Translations = InTempDir;

TEST_F(Translations, EveryTextOfEveryWindowIsMarkedForTranslation)
{
    PseudoTranslator pseudo(tsFile("de"));
    ASSERT_GT(pseudo.count(), 100);
    ASSERT_TRUE(QCoreApplication::installTranslator(&pseudo));
    struct Remove {
        QTranslator* translator;
        ~Remove() { QCoreApplication::removeTranslator(translator); }
    } remove { &pseudo };

    WriteAll("nelvox.ini", "1\r\nhttp://a.example/ D07/09/04 05:03 PM YES\r\n");
    FavoritesList favorites;
    BookmarkTree tree;
    const int folder = tree.addFolder(-1, QStringLiteral("Folder"));
    tree.addLink(folder, QStringLiteral("Page"), QStringLiteral("http://b.example/"), QStringLiteral("W"));
    tree.addLink(folder, QStringLiteral("Bad"), QStringLiteral("ftp://c.example/"));

    const std::pair<const char*, std::function<std::unique_ptr<QWidget>()>> windows[] = {
        { "main window", [] { return std::make_unique<CNelvoxDlg>(); } },
        { "About box", [] { return std::make_unique<CAboutDlg>(); } },
        { "Add or Edit Favorite", [] { return std::make_unique<CAddEditDlg>(); } },
        { "Import Bookmarks", [&] { return std::make_unique<CImportDlg>(QStringLiteral("b.html"), tree, favorites); } },
        { "Checking Favorites",
            [] {
                auto dialog = std::make_unique<CheckProgressDlg>(nullptr);
                dialog->setProgress(3, 40);
                return dialog;
            } },
    };
    for (const auto& [name, make] : windows) {
        SCOPED_TRACE(name);
        const std::unique_ptr<QWidget> window = make();
        const QStringList unmarked = unmarkedTexts(window.get());
        EXPECT_TRUE(unmarked.isEmpty()) << "not marked for translation:\n" << unmarked.join(u'\n').toStdString();
    }
    // The Changes window of a markup change, with both copies to open or save.
    WriteAll(PreviousCopyName(SnapshotFileName("http://a.example/")), "<p>Price 12 EUR</p><p>Seen 8,204 times</p>");
    WriteAll(SnapshotFileName("http://a.example/"), "<p>Price 12 EUR</p>\n  <p>Seen 8,204 times</p>");
    {
        SCOPED_TRACE("Changes");
        const std::unique_ptr<QWidget> changes
            = std::make_unique<CChangesDlg>(QStringLiteral("http://a.example/"), ChangeRule::pageText());
        const QStringList unmarked
            = unmarkedTexts(changes.get(), { "labelAddress", "labelPreviousTime", "labelSnapshotTime", "buttons" });
        EXPECT_TRUE(unmarked.isEmpty()) << "not marked for translation:\n" << unmarked.join(u'\n').toStdString();
    }

    // The tray icon's menu and its tips.
    CSTI tray;
    QStringList menu;
    for (QAction* action : tray.contextMenu().actions()) {
        if (!action->isSeparator() && !action->text().contains(kMarkStart))
            menu << action->text();
    }
    EXPECT_TRUE(menu.isEmpty()) << "not marked in the tray icon's menu: " << menu.join(u' ').toStdString();
    tray.SetChangedCount(3);
    EXPECT_TRUE(tray.systemTrayIcon().toolTip().contains(kMarkStart)) << tray.systemTrayIcon().toolTip().toStdString();
}

// A reason thrown by a real failure, as the state file keeps it.
QString reasonOf(const std::function<void()>& failing)
{
    try {
        failing();
    } catch (const NelvoxError& error) {
        return error.message();
    }
    ADD_FAILURE() << "nothing failed";
    return {};
}

// The core's reasons stay in English, in the state file as in the log; the list's tip and the
// error boxes show them in the user's language, with the file names, addresses and times kept.
TEST_F(Translations, ReasonsKeptInEnglishAreShownInTheUsersLanguage)
{
    const QString missing = reasonOf([] { FileLength(QStringLiteral("missing.txt")); });
    const QString rename = reasonOf([] { RenameFile(QStringLiteral("gone.txt"), QStringLiteral("b.txt")); });
    const QString wait = HostWaits::Message(QDateTime(QDate(2026, 12, 8), QTime(21, 30)));
    ASSERT_EQ(missing.toStdString(), "Cannot measure \"missing.txt\": it does not exist");
    ASSERT_EQ(rename.toStdString(), "Cannot rename \"gone.txt\" to \"b.txt\": No such file or directory");
    ASSERT_EQ(wait.toStdString(), "the server asked to wait until 12/08/26 09:30 PM");
    for (const QString& reason : { missing, rename, wait })
        EXPECT_EQ(Reasons::Translated(reason), reason) << "English is the reasons' own language";

    {
        const Translators german { QLocale(QStringLiteral("de")) };
        EXPECT_EQ(Reasons::Translated(missing).toStdString(),
            "Die Länge von „missing.txt“ kann nicht bestimmt werden: die Datei gibt es nicht");
        // The system's reason in the words of Qt's own translation.
        EXPECT_EQ(Reasons::Translated(rename).toStdString(),
            "„gone.txt“ kann nicht in „b.txt“ umbenannt werden: Die Datei oder das Verzeichnis konnte nicht gefunden "
            "werden");
        EXPECT_EQ(Reasons::Translated(wait).toStdString(), "der Server bat, bis 12/08/26 09:30 PM zu warten");
        EXPECT_EQ(
            Reasons::Translated(QStringLiteral("Unsupported protocol")).toStdString(), "Protokoll nicht unterstützt");
        EXPECT_EQ(Reasons::Translated(QStringLiteral("HTTP 404 Not Found")).toStdString(), "HTTP 404 Not Found")
            << "the server's words";

        FavoriteStates states;
        FavoriteState& state = states.at(QStringLiteral("http://a.example/"));
        state.outcome = FavoriteState::Outcome::Failed;
        state.failure = missing;
        state.failuresInARow = 1;
        state.checked = QDateTime(QDate(2026, 12, 8), QTime(20, 0), Qt::UTC);
        const QString tip = FavoritesModel::FailureText(states, QStringLiteral("http://a.example/"));
        EXPECT_TRUE(tip.contains(u"kann nicht bestimmt werden: die Datei gibt es nicht")) << tip.toStdString();
        EXPECT_FALSE(tip.contains(u"Cannot")) << tip.toStdString();

        // A box with a reason that a command threw: a snapshot that is a folder.
        WriteAll("nelvox.ini", "1\r\nhttp://a.example/ D07/09/04 05:03 PM YES\r\n");
        WriteAll(PreviousCopyName(SnapshotFileName("http://a.example/")), "<p>before</p>");
        ASSERT_TRUE(QDir().mkpath(SnapshotFileName("http://a.example/") + "/inside"));
        CNelvoxDlg window;
        ModalAnswerer answers;
        answers.thenClick(QStringLiteral("OK"));
        window.RunCommand([&] { window.OnShowChanges(0); });
        ASSERT_EQ(answers.texts().size(), 1);
        EXPECT_TRUE(answers.texts().first().endsWith(u"“ kann nicht gelesen werden: das ist keine Datei"))
            << answers.texts().first().toStdString();
    }

    // Every reason with arguments is found again in its English text, whatever its arguments,
    // and is translated with them; a reason as an argument is translated in its turn.
    PseudoTranslator pseudo(tsFile("fr"));
    ASSERT_TRUE(QCoreApplication::installTranslator(&pseudo));
    for (const char* source : Reasons::WithArguments()) {
        SCOPED_TRACE(source);
        const QStringList arguments { QStringLiteral("snapshots/a \"%2\": b.NVD"), QStringLiteral("http://b.example/x"),
            QStringLiteral("12/08/26 09:30 PM") };
        QString english = QString::fromLatin1(source);
        for (int n = 3; n >= 1; --n)
            english.replace(QStringLiteral("%%1").arg(n), arguments.at(n - 1));
        const QString shown = Reasons::Translated(english);
        EXPECT_TRUE(shown.startsWith(kMarkStart)) << shown.toStdString();
        for (int n = 1; n <= 3; ++n) {
            if (QString::fromLatin1(source).contains(QStringLiteral("%%1").arg(n))) {
                EXPECT_TRUE(shown.contains(arguments.at(n - 1))) << shown.toStdString();
            }
        }
    }
    const QString nested = Reasons::Translated(QString::fromLatin1(Reasons::kSnapshotUnreadableBecause)
                                                   .arg(QStringLiteral("a.NVD"), QStringLiteral("it does not exist")));
    EXPECT_EQ(nested.count(kMarkStart), 2) << nested.toStdString();
    QCoreApplication::removeTranslator(&pseudo);
}

TEST_F(Translations, TheHelpPageIsTheOneInTheLanguageOfTheTexts)
{
    for (const char* language : { "en", "de", "fr", "es" }) {
        SCOPED_TRACE(language);
        const Translators translators { QLocale(QString::fromLatin1(language)) };
        UrlRecorder browser;
        CNelvoxDlg window;
        window.findChild<QAbstractButton*>(QStringLiteral("btnHelp"))->click();
        ASSERT_EQ(browser.urls().size(), 1);
        const bool own = translators.translated();
        const QString page = browser.urls().first().toLocalFile();
        EXPECT_TRUE(page.endsWith(
            own ? QStringLiteral("/index.%1.html").arg(QLatin1String(language)) : QStringLiteral("/index.html")))
            << page.toStdString();
        EXPECT_TRUE(ReadAll(page).contains("<html lang=\"" + QByteArray(own ? language : "en") + "\">"));
    }
}

TEST(TranslationFiles, HaveNoUnfinishedObsoleteOrVanishedEntry)
{
    for (const char* language : { "de", "fr" }) {
        SCOPED_TRACE(language);
        QFile file(tsFile(language));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString source;
        int translations = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"source")
                source = xml.readElementText();
            if (xml.name() != u"translation")
                continue;
            ++translations;
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            EXPECT_TRUE(type.isEmpty()) << type.toStdString() << ": " << source.toStdString();
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            EXPECT_FALSE(text.trimmed().isEmpty() && !source.trimmed().isEmpty()) << "empty: " << source.toStdString();
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        EXPECT_GT(translations, 100);
    }
}

} // namespace
