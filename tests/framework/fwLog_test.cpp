#include "fwConfig.h"
#include "fwLog.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {
const std::string kEnd = kLineEnd;
}

TEST(TSimpleLog, LineFormsAndThePlatformLineEnd) {
    TTempDir dir;
    {
        TSimpleLog log;
        ASSERT_TRUE(log.Opened);
        log.Write("SDLApp::InitSDL", "Done");
        log.Write("TrueType \"x.ttf\" font not loaded");
        // Each line is on disk as soon as Write returns.
        EXPECT_EQ(ReadFile("log.txt"),
                  "SDLApp::InitSDL: Done" + kEnd + "TrueType \"x.ttf\" font not loaded" + kEnd);
        EXPECT_EQ(log.LinesWritten(), 2);
    }
    if constexpr (kHandheld)
        EXPECT_EQ(kEnd, "\n");
    else
        EXPECT_EQ(kEnd, "\r\n");
}

TEST(TSimpleLog, EachRunTruncatesTheEarlierLog) {
    TTempDir dir;
    WriteFile("log.txt", "a line of the earlier run\r\n");
    TSimpleLog log;
    log.Write("first");
    EXPECT_EQ(ReadFile("log.txt"), "first" + kEnd);
}

TEST(TSimpleLog, AnUncreatableFileLeavesTheLogSilentlyOff) {
    TTempDir dir;
    // A folder in the file's place cannot be opened for writing, even as root.
    ASSERT_EQ(mkdir("log.txt", 0755), 0);
    TSimpleLog log;
    EXPECT_FALSE(log.Opened);
    log.Write("tag", "text"); // nothing happens, nothing is raised
    EXPECT_EQ(log.LinesWritten(), 0);
}

TEST(TSimpleLog, AFailingWriteDropsTheLineAndGoesOn) {
    TTempDir dir;
    if (!FileExists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    TSimpleLog log("/dev/full");
    ASSERT_TRUE(log.Opened);
    EXPECT_NO_THROW(log.Write("tag", "lost"));
    EXPECT_NO_THROW(log.Write("lost too"));
    EXPECT_EQ(log.LinesWritten(), 2);
}

TEST(TSimpleLog, TheOneLogIsMadeOnFirstUseInTheWorkingFolder) {
    TTempDir dir;
    EXPECT_FALSE(FileExists("log.txt"));
    TSimpleLog& log = Log();
    EXPECT_EQ(&log, &Log());
    log.Write("x");
    // Every test runs in a process of its own: this is the log's first use.
    EXPECT_EQ(ReadFile("log.txt"), "x" + kEnd);
}
