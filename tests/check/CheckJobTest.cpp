// One job of a run, made without a run: the request it may make conditional, and what its
// download does to the snapshot by the Page length rule.
#include "check/CheckJob.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kAddress = "http://127.0.0.1:1/page";
constexpr const char* kDownload = "download.part";

class CheckJobTest : public InTempDir {
protected:
    static TransferPool::Result downloaded() { return { TransferResult::Outcome::Downloaded, {}, {}, {} }; }
    static CheckJob check(const FavoriteState* last = nullptr)
    {
        return CheckJob::Check(kAddress, 7, kDownload, {}, last);
    }
};

TEST_F(CheckJobTest, AsksWhetherThePageChangedOnlySinceASnapshotThatIsStillThere)
{
    FavoriteState last;
    last.outcome = FavoriteState::Outcome::Unchanged;
    last.etag = "\"v1\"";
    EXPECT_TRUE(check(&last).validators.isEmpty()) << "no snapshot";
    const CheckJob job = check(&last);
    WriteAll(job.snapshot, "old\r\n");
    EXPECT_EQ(check(&last).validators.etag, "\"v1\"");
    last.outcome = FavoriteState::Outcome::Failed;
    EXPECT_TRUE(check(&last).validators.isEmpty()) << "after a failure";
    EXPECT_EQ(job.row, 7u);
    EXPECT_FALSE(job.needsComparison(downloaded())) << "Page length needs no comparison of text";
}

TEST_F(CheckJobTest, ADownloadOfAnotherLengthReplacesTheSnapshotAndOneOfTheSameIsLeft)
{
    CheckJob job = check();
    WriteAll(job.snapshot, "old\r\n");
    WriteAll(kDownload, "new\r\n");
    CheckJob::Ending ending = job.judgeDownload(downloaded());
    EXPECT_EQ(ending.outcome, FavoriteState::Outcome::Unchanged);
    EXPECT_TRUE(ending.downloadLeft && !ending.stamped && !ending.changed);
    EXPECT_EQ(ReadAll(job.snapshot), "old\r\n");

    WriteAll(kDownload, "newer\r\n");
    ending = job.judgeDownload(downloaded());
    EXPECT_EQ(ending.outcome, FavoriteState::Outcome::Changed);
    EXPECT_TRUE(ending.stamped && ending.changed && !ending.downloadLeft);
    EXPECT_EQ(ReadAll(job.snapshot), "newer\r\n");
    EXPECT_FALSE(FileExists(kDownload));

    // A failed download touches nothing and leaves nothing to keep.
    ending = job.judgeDownload(TransferPool::Result::failed(TransferResult::Outcome::Failed, {}, "timed out"));
    EXPECT_EQ(ending.outcome, FavoriteState::Outcome::Failed);
    EXPECT_EQ(ending.reason, "timed out");
    EXPECT_FALSE(ending.downloadLeft || ending.stamped);
}

TEST_F(CheckJobTest, AFirstSnapshotAnsweredNotModifiedIsNoDownload)
{
    CheckJob job = CheckJob::FirstSnapshot(kAddress);
    EXPECT_EQ(job.file, job.snapshot);
    const CheckJob::Ending ending = job.judgeDownload({ TransferResult::Outcome::NotModified, {}, {}, {} });
    EXPECT_EQ(ending.outcome, FavoriteState::Outcome::Failed);
    EXPECT_EQ(ending.reason, "the server answered \"not modified\" to a plain request");
    EXPECT_FALSE(job.downloaded);
    EXPECT_EQ(job.judgeDownload({ TransferResult::Outcome::FileNotCreated, {}, {}, {} }).outcome,
        FavoriteState::Outcome::Unchanged);
    EXPECT_TRUE(job.downloaded) << "a snapshot that could not be created still counts as the first";
}

} // namespace
