// The file operations: CR LF lines, truncation, lengths, removal and replacement.
#include "platform/Files.h"
#include "platform/NelvoxError.h"

#include "support/TempWorkDir.h"

#include <QDir>

class Files : public InTempDir { };

TEST_F(Files, WritesLinesWithCrLfAndTruncates)
{
    WriteAll("page.txt", "old content that is longer than the new one\n");
    QFile file;
    ASSERT_TRUE(CreateTextFile(file, "page.txt"));
    WriteLine(file, "first");
    WriteLine(file, "");
    WriteText(file, "a piece ");
    WriteLine(file, QByteArray("with\0nul", 8));
    CloseFile(file);
    EXPECT_EQ(ReadAll("page.txt"), QByteArray("first\r\n\r\na piece with\0nul\r\n", 27));
    EXPECT_FALSE(file.isOpen());
}

TEST_F(Files, CreateAndOpenReportFailureByResult)
{
    QDir().mkdir("folder");
    QFile file;
    EXPECT_FALSE(CreateTextFile(file, "folder")) << "a directory cannot be created as a text file";
    EXPECT_FALSE(CreateTextFile(file, "missing/page.txt")) << "no such directory";
    EXPECT_FALSE(OpenForReading(file, "absent.txt"));
    EXPECT_FALSE(OpenForReading(file, "folder")) << "a directory is no snapshot";
    EXPECT_FALSE(FileExists("absent.txt")) << "opening for reading must not create the file";
}

TEST_F(Files, WriteFailureThrows)
{
    // /dev/full accepts the open and refuses the data, like a full disk.
    QFile file;
    ASSERT_TRUE(CreateTextFile(file, "/dev/full"));
    try {
        WriteLine(file, QByteArray(1024 * 1024, 'x'));
        CloseFile(file);
        FAIL() << "writing to a full device did not throw";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.message().contains("/dev/full")) << error.what();
        EXPECT_FALSE(error.isNotFound());
    }
}

TEST_F(Files, MeasuresLengthsInBytes)
{
    WriteAll("five.txt", "ab\r\nc");
    QFile file;
    ASSERT_TRUE(OpenForReading(file, "five.txt"));
    EXPECT_EQ(FileLength(file), 5);
    EXPECT_EQ(FileLength(QStringLiteral("five.txt")), 5);
    WriteAll("empty.txt", "");
    EXPECT_EQ(FileLength(QStringLiteral("empty.txt")), 0);
    EXPECT_THROW(FileLength(QStringLiteral("absent.txt")), FileError);
}

TEST_F(Files, RemoveTellsAMissingFileFromOtherFailures)
{
    WriteAll("doomed.txt", "x");
    RemoveFile("doomed.txt");
    EXPECT_FALSE(FileExists("doomed.txt"));

    try {
        RemoveFile("doomed.txt");
        FAIL() << "removing a missing file did not throw";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.isNotFound()) << error.what();
        EXPECT_TRUE(error.message().contains("doomed.txt")) << error.what();
    }

    QDir().mkdir("folder");
    try {
        RemoveFile("folder");
        FAIL() << "removing a directory did not throw";
    } catch (const FileError& error) {
        EXPECT_FALSE(error.isNotFound()) << "the directory exists: " << error.what();
    }
    EXPECT_TRUE(QDir("folder").exists());
}

TEST_F(Files, RenameReplacesTheTargetOrLeavesBothAlone)
{
    WriteAll("new.txt", "new");
    WriteAll("old.txt", "old content");
    RenameFile("new.txt", "old.txt");
    EXPECT_EQ(ReadAll("old.txt"), "new");
    EXPECT_FALSE(FileExists("new.txt"));

    RenameFile("old.txt", "fresh name.txt");
    EXPECT_EQ(ReadAll("fresh name.txt"), "new");

    WriteAll("download.txt", "download");
    QDir().mkpath("busy/inside");
    try {
        RenameFile("download.txt", "busy");
        FAIL() << "renaming over a non-empty directory did not throw";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.message().contains("download.txt")) << error.what();
        EXPECT_TRUE(error.message().contains("busy")) << error.what();
    }
    EXPECT_EQ(ReadAll("download.txt"), "download");
    EXPECT_TRUE(QDir("busy/inside").exists());

    EXPECT_THROW(RenameFile("absent.txt", "download.txt"), FileError);
    EXPECT_EQ(ReadAll("download.txt"), "download");
}
