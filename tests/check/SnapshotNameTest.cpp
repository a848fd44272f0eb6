// Snapshot names: made from the address, and shortened where a file system would refuse them.
#include "check/SnapshotName.h"
#include "support/TempWorkDir.h"

#include <QSet>

#include <gtest/gtest.h>

TEST(SnapshotFileName, NamesFilesAfterAddresses)
{
    const struct {
        const char* address;
        const char* name;
    } cases[] = {
        { "http://host/news/index.html", "nv.host!news!index.html.NVD" },
        { "http://host/", "nv.host!.NVD" },
        { "https://host/a", "https:!!host!a.NVD" },
        { "HTTP://host/a", "HTTP:!!host!a.NVD" },
        { "http://host/go?to=http://other/page", "nv.host!go?to=nv.other!page.NVD" },
        { "http://host/a/b", "nv.host!a!b.NVD" },
        { "http://host/a!b", "nv.host!a!b.NVD" },
        { "host/a b:*?\"<>|%&#\\", "host!a b:*?\"<>|%&#\\.NVD" },
        { "", ".NVD" },
    };
    for (const auto& example : cases)
        EXPECT_EQ(SnapshotFileName(QString::fromUtf8(example.address)), QString::fromUtf8(example.name))
            << "address " << example.address;
}

TEST(SnapshotFileName, ShortensNamesTooLongForTheFileSystem)
{
    const QString a(QLatin1Char('a'));
    const QString e = QString::fromUtf8("é");
    const QString kanji = QString::fromUtf8("日");
    const QString emoji = QString::fromUtf8("😀");
    const struct {
        QString address;
        QString name;
    } cases[] = {
        // 255 bytes exactly: kept as it is.
        { "http://host/" + a.repeated(243), "nv.host!" + a.repeated(243) + ".NVD" },
        { "http://host/" + a.repeated(244), "nv.host!" + a.repeated(226) + "~9608e93410544017.NVD" },
        // Byte 234 falls inside a two-, a three- and a four-byte character.
        { "http://host/" + a.repeated(225) + e.repeated(20), "nv.host!" + a.repeated(225) + "~487085b973320d89.NVD" },
        { "http://host/" + kanji.repeated(100), "nv.host!" + kanji.repeated(75) + "~b6a93179b7e05c98.NVD" },
        { "http://host/" + a.repeated(224) + emoji.repeated(10),
            "nv.host!" + a.repeated(224) + "~e389f3df9e72d71d.NVD" },
    };
    for (const auto& example : cases) {
        const QString name = SnapshotFileName(example.address);
        EXPECT_EQ(name, example.name) << "address of " << example.address.size() << " characters";
        EXPECT_LE(name.toUtf8().size(), 255);
        EXPECT_EQ(QString::fromUtf8(name.toUtf8()), name) << "a character was cut in two";
    }

    // Names that fit stay as they were, however many characters they have.
    const QString fits = "http://host/" + e.repeated(121);
    EXPECT_EQ(SnapshotFileName(fits), "nv.host!" + e.repeated(121) + ".NVD");

    // Long addresses that differ only at their end get names of their own, which the file
    // system takes.
    TempWorkDir dir;
    const QString common = "http://host/search?q=" + a.repeated(1980);
    QSet<QString> names;
    for (const char* end : { "1", "2", "3&utm=x" }) {
        const QString name = SnapshotFileName(common + end);
        names.insert(name);
        WriteAll(name, end);
        EXPECT_EQ(ReadAll(name), QByteArray(end)) << name.toStdString();
    }
    EXPECT_EQ(names.size(), 3);
}
