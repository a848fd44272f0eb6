// The rules file: read past what it does not know and keep it, never write over a file that
// could not be read, and follow the list's addresses.
#include "store/ChangeRules.h"
#include "store/FavoritesList.h"
#include "support/TempWorkDir.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using ChangeRulesTest = InTempDir;

TEST_F(ChangeRulesTest, KeepsWhatItDoesNotKnowAndSavesOnlyTheListsAddresses)
{
    WriteAll(kRulesFileName,
        "# my notes\r\n"
        "[http://a.example/]\r\n"
        "rule=page text\r\n"
        "links=no\r\n"
        "numbers=ignore\r\n"
        "ignore-line=Updated\r\n"
        "ignore-line=/\\d+ views/\r\n"
        "part=#main > p, .price\r\n"
        "colour=blue\r\n" // a key of a newer build
        "numbers=sometimes\r\n" // a value this build does not know
        "[http://gone.example/]\r\n"
        "rule=page text\r\n"
        "[http://b.example/]\n"
        "rule=pag");
    ChangeRules rules;
    ASSERT_TRUE(rules.load());
    const ChangeRule a = rules.rule("http://a.example/");
    EXPECT_EQ(a.kind, ChangeRule::Kind::PageText);
    EXPECT_FALSE(a.linkAddresses);
    EXPECT_TRUE(a.ignoreNumbers) << "a value it does not know leaves the one before";
    EXPECT_EQ(a.ignoreLines, QStringList({ "Updated", "/\\d+ views/" }));
    EXPECT_EQ(a.part, "#main > p, .price");
    EXPECT_TRUE(rules.rule("http://b.example/").isPageLength()) << "a line cut short";
    EXPECT_TRUE(rules.rule("http://never.example/").isPageLength()) << "no rule of its own";

    // Edit carries a rule to the new address; Page length needs no block.
    rules.rename("http://a.example/", "http://c.example/");
    rules.setRule("http://gone.example/", ChangeRule {});
    FavoritesList list;
    list.insertFavorite(0, "http://c.example/");
    list.insertFavorite(1, "http://c.example/");
    list.insertFavorite(2, "http://b.example/");
    list.insertFavorite(3, "http://gone.example/");
    rules.save(list);
    const QByteArray saved = ReadAll(kRulesFileName);
    EXPECT_EQ(saved.count("[http://c.example/]"), 1) << "one block for rows that share an address";
    EXPECT_FALSE(saved.contains("a.example"));
    EXPECT_FALSE(saved.contains("gone.example")) << "back to Page length";
    EXPECT_TRUE(saved.contains("\r\n# my notes\r\n"));
    EXPECT_TRUE(saved.contains("\r\ncolour=blue\r\nnumbers=sometimes\r\n")) << saved.constData();
    EXPECT_TRUE(saved.contains("\r\nrule=pag\r\n")) << "the line cut short is kept as it was";
    ChangeRules again;
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.rule("http://c.example/"), a);

    // A file that cannot be read (here a link to a file that is not there, which even root
    // cannot read): every favorite on Page length, and the file left as it is.
    QFile::remove(kRulesFileName);
    ASSERT_TRUE(QFile::link("elsewhere/rules", kRulesFileName));
    EXPECT_FALSE(again.load());
    EXPECT_TRUE(again.rule("http://c.example/").isPageLength());
    again.setRule("http://c.example/", ChangeRule::pageText());
    EXPECT_NO_THROW(again.save(list));
    EXPECT_EQ(QFileInfo(kRulesFileName).symLinkTarget(), QFileInfo("elsewhere/rules").absoluteFilePath());
    QFile::remove(kRulesFileName);
    EXPECT_TRUE(again.load()) << "a missing file is no fault";
}

TEST_F(ChangeRulesTest, ReadsHandEditedLinesAndKeepsWhatPageLengthCannotHold)
{
    // Spaces as a user types them around keys, "=" and values.
    WriteAll(kRulesFileName,
        "[http://a.example/]\r\n"
        "rule = page text\r\n"
        "  links =no\r\n"
        "numbers= ignore \r\n"
        "ignore-line = Updated\r\n"
        "[http://b.example/]\r\n"
        "rule=page text\r\n"
        "colour=blue\r\n");
    ChangeRules rules;
    ASSERT_TRUE(rules.load());
    ChangeRule edited = ChangeRule::pageText();
    edited.linkAddresses = false;
    edited.ignoreNumbers = true;
    edited.ignoreLines = QStringList { "Updated" };
    EXPECT_EQ(rules.rule("http://a.example/"), edited) << "a hand-edited block read as Page length";

    // Back to Page length: the line this build does not read survives the save.
    rules.setRule("http://b.example/", ChangeRule {});
    FavoritesList list;
    list.insertFavorite(0, "http://a.example/");
    list.insertFavorite(1, "http://b.example/");
    rules.save(list);
    const QByteArray saved = ReadAll(kRulesFileName);
    EXPECT_TRUE(saved.contains("\r\nrule=page text\r\nlinks=no\r\nnumbers=ignore\r\nignore-line=Updated\r\n"))
        << "written as the program writes it: " << saved.constData();
    EXPECT_TRUE(saved.contains("[http://b.example/]\r\nrule=page length\r\ncolour=blue\r\n")) << saved.constData();
    ChangeRules again;
    ASSERT_TRUE(again.load());
    EXPECT_TRUE(again.rule("http://b.example/").isPageLength());
}

TEST_F(ChangeRulesTest, KeepsWhatChangesByItselfAsWrittenAndOldFilesAsTheyWere)
{
    const QByteArray heading
        = "# What counts as a change of each favorite's page, one block per favorite's address.\r\n"
          "# rule=page length or page text; under page text: links=yes or no, numbers=count or "
          "ignore,\r\n"
          "# ignore-line=a text or /a regular expression/ (one line each), part=a CSS selector or "
          "XPath.\r\n";
    const QByteArray old = heading + "[http://a.example/]\r\nrule=page text\r\nlinks=yes\r\nnumbers=count\r\n";
    WriteAll(kRulesFileName, old);
    ChangeRules rules;
    ASSERT_TRUE(rules.load());
    EXPECT_FALSE(rules.rule("http://a.example/").ignoreSelfChanging) << "absent means counted";
    FavoritesList list;
    list.insertFavorite(0, "http://a.example/");
    list.insertFavorite(1, "http://b.example/");
    rules.save(list);
    EXPECT_EQ(ReadAll(kRulesFileName), old);

    WriteAll(kRulesFileName,
        "[http://b.example/]\r\nrule=page text\r\nself-changing=ignore\r\nlearned-line=# views\r\n"
        "learned-line=*\r\nlearned-link=/news?t=#&utm=*\r\nlearned-line=Sponsored: *\r\nlearned-line=a * b *\r\n");
    ASSERT_TRUE(rules.load());
    const ChangeRule b = rules.rule("http://b.example/");
    EXPECT_TRUE(b.ignoreSelfChanging);
    EXPECT_EQ(b.learnedLines, QStringList({ "# views", "Sponsored: *" }));
    EXPECT_EQ(b.learnedLinks, QStringList({ "/news?t=#&utm=*" }));
    rules.save(list);
    const QByteArray saved = ReadAll(kRulesFileName);
    EXPECT_TRUE(saved.contains("\r\nnumbers=count\r\nself-changing=ignore\r\nlearned-line=# views\r\nlearned-line="
                               "Sponsored: *\r\nlearned-link=/news?t=#&utm=*\r\n"))
        << saved.constData();
    EXPECT_TRUE(saved.contains("\r\nlearned-line=*\r\nlearned-line=a * b *\r\n")) << "shapes that are none, as written";
    ChangeRules again;
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.rule("http://b.example/"), b);
}

} // namespace
