// The best-score file: how lines turn into numbers, how whole files read
// (including hand-edited, foreign, huge and broken ones), the exact bytes the
// game writes, and that a failed save never damages the old file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "game/Game.h"
#include "platform/Files.h"
#include "records/HighScores.h"

using TScores = std::array<int32_t, 4>;

namespace {

// Writes bytes to path, replacing it.
void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

// All bytes of path ("<missing>" when it cannot be opened).
std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names in folder, sorted: shows any temporary a save left behind.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Bytes this process has read through read() so far, from /proc; -1 if the
// kernel does not tell.
long long BytesReadSoFar() {
    std::ifstream in("/proc/self/io");
    std::string key;
    long long value = 0;
    while (in >> key >> value)
        if (key == "rchar:") return value;
    return -1;
}

// Peak resident memory of the process in KiB.
long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// 10^n modulo 2^32, by squaring: the value a run of n nines wraps to is this
// minus 1, worked out without walking the digits the way the reader does.
uint32_t PowerOfTenWrapped(uint64_t n) {
    uint32_t result = 1, base = 10;
    while (n > 0) {
        if (n & 1) result *= base;
        base *= base;
        n >>= 1;
    }
    return result;
}

// A fresh folder under /tmp per test, removed afterwards; the test hook is
// always reset so one test's fault cannot leak into the next.
class HighScoreFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zep-highscores-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr) << std::strerror(errno);
        folder = pattern;
        file = folder + "/highscore.ini";
    }
    void TearDown() override {
        SetWriteFaultForTesting(TWriteFault::None);
        if (!folder.empty()) {
            chmod(folder.c_str(), 0755);
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    }
    std::string folder;
    std::string file;
};

} // namespace

// --- One line ---------------------------------------------------------------

TEST(ParseScoreLine, Table) {
    struct TCase {
        std::string line;
        int32_t expected;
    };
    const TCase cases[] = {
        {"12", 12},
        {"  12  ", 12},
        {"\t\v\f\r\n 12", 12},     // every white space byte is skipped in front
        {"007", 7},
        {"12abc", 12},
        {"12 34", 12},
        {"1e3", 1},
        {"-3", -3},
        {"+7", 7},
        {"-0", 0},
        {"$ff", 255},
        {"$FF", 255},
        {"$fF", 255},
        {"-$10", -16},
        {"$1g", 1},
        {"%101", 5},
        {"%102", 2},
        {"%2", 0},
        {"abc", 0},
        {"", 0},
        {"   ", 0},
        {"%", 0},
        {"$", 0},
        {"-", 0},
        {"+", 0},
        {"- 5", 0},
        {"+ 5", 0},
        {"--5", 0},
        {"+-5", 0},
        {"$-5", 0},
        {"%$1", 0},
        {"$%1", 0},
        {"\xA0" "5", 0},           // Latin-1 no-break space is not white space
        {"\xEF\xBB\xBF" "5", 0},   // nor is a UTF-8 byte-order mark
        {std::string("12\0" "34", 5), 12},
        {"1\r2", 1},               // inside a number CR is just a non-digit
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MIN},   // wraps
        {"-2147483648", INT32_MIN},
        {"4294967295", -1},
        {"4294967296", 0},
        {"4294967297", 1},
        {"-4294967297", -1},
        {"99999999999999999999", static_cast<int32_t>(PowerOfTenWrapped(20) - 1)},
        {"$FFFFFFFF", -1},
        {"$100000001", 1},
        {"-$80000000", INT32_MIN},
        {"%" + std::string(33, '1'), -1}, // 2^33 - 1 wraps to all ones
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ParseScoreLine(c.line), c.expected) << "line \"" << c.line << "\"";
}

// --- Whole files ------------------------------------------------------------

TEST_F(HighScoreFolder, ReadsWholeFiles) {
    struct TCase {
        const char* name;
        std::string bytes;
        TScores expected;
    };
    const TCase cases[] = {
        {"LF only", "1\n2\n3\n4\n", {1, 2, 3, 4}},
        {"CR LF", "1\r\n2\r\n3\r\n4\r\n", {1, 2, 3, 4}},
        {"no final line break", "1\n2\n3\n4", {1, 2, 3, 4}},
        {"lone CR: one line", "1\r2\r3\r4\r", {1234, 0, 0, 0}},
        {"lone CR, wrapping", "42949\r67297\r", {1, 0, 0, 0}},
        {"CR inside a number", "1\r2\n3\n", {12, 3, 0, 0}},
        {"byte-order mark", "\xEF\xBB\xBF" "5\r\n6\r\n7\r\n8\r\n", {0, 6, 7, 8}},
        {"NUL ends a line", std::string("5\0" "6\0" "7\n8", 7), {5, 6, 7, 8}},
        {"NUL then LF is two line ends", std::string("5\0\n6", 4), {5, 0, 6, 0}},
        {"short file", "9\n10", {9, 10, 0, 0}},
        {"one line", "9\n", {9, 0, 0, 0}},
        {"empty file", "", {0, 0, 0, 0}},
        {"only CRs", "\r\r\r", {0, 0, 0, 0}},
        {"more than four lines", "1\n2\n3\n4\n5\n6\n", {1, 2, 3, 4}},
        {"seven then four LF", "7\n\n\n\n", {7, 0, 0, 0}},
        {"hand-edited", "  12  \n\t-3 best!\n$ff\n%101\n", {12, -3, 255, 5}},
        {"garbage after the fourth line", "1\n2\n3\n4\n\xFF\xFE\0junk", {1, 2, 3, 4}},
        {"extremes", "-2147483648\r\n2147483647\r\n4294967297\r\n-1\r\n", {INT32_MIN, INT32_MAX, 1, -1}},
    };
    for (const TCase& c : cases) {
        WriteBytes(file, c.bytes);
        TScores got{-9, -9, -9, -9};
        std::string error = "stale";
        EXPECT_TRUE(ReadHighScoreFile(file, got, error)) << c.name << ": " << error;
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST_F(HighScoreFolder, UnreadablePathsGiveZerosAndTheReason) {
    struct TCase {
        const char* name;
        std::string path;
        std::string reason;
    };
    std::vector<TCase> cases = {
        {"missing", folder + "/none.ini", std::strerror(ENOENT)},
        {"folder", folder, std::strerror(EISDIR)},
        {"inside a file", file + "/x", std::strerror(ENOTDIR)},
    };
    WriteBytes(file, "1\n2\n3\n4\n");
    const std::string fifo = folder + "/fifo.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0) << std::strerror(errno);
    cases.push_back({"FIFO without a writer (must not hang)", fifo, "not a regular file"});
    for (const TCase& c : cases) {
        TScores got{5, 5, 5, 5};
        std::string error;
        EXPECT_FALSE(ReadHighScoreFile(c.path, got, error)) << c.name;
        EXPECT_EQ(got, (TScores{0, 0, 0, 0})) << c.name;
        EXPECT_EQ(error, c.reason) << c.name;
    }
}

TEST_F(HighScoreFolder, FileWithoutReadPermissionGivesZeros) {
    if (geteuid() == 0) GTEST_SKIP() << "running as root: chmod 000 does not stop reading";
    WriteBytes(file, "1\n2\n3\n4\n");
    ASSERT_EQ(chmod(file.c_str(), 0), 0);
    TScores got{5, 5, 5, 5};
    std::string error;
    EXPECT_FALSE(ReadHighScoreFile(file, got, error));
    EXPECT_EQ(got, (TScores{0, 0, 0, 0}));
    EXPECT_EQ(error, std::strerror(EACCES));
}

TEST_F(HighScoreFolder, HugeSparseFileStopsAfterTheFourthLine) {
    const off_t size = 500LL * 1024 * 1024;
    WriteBytes(file, "5\n6\n7\n8\n");
    ASSERT_EQ(truncate(file.c_str(), size), 0) << std::strerror(errno);

    const long long before = BytesReadSoFar();
    TScores got{};
    std::string error;
    ASSERT_TRUE(ReadHighScoreFile(file, got, error)) << error;
    const long long after = BytesReadSoFar();
    EXPECT_EQ(got, (TScores{5, 6, 7, 8}));
    if (before < 0) GTEST_SKIP() << "/proc/self/io not readable: bytes read not checked";
    EXPECT_LT(after - before, 1024 * 1024) << "read far past the fourth line";
}

TEST_F(HighScoreFolder, EndlessLineReadsInBoundedMemory) {
    // 200 MiB of nines on the first line, then three short lines.
    const size_t nines = 200u * 1024 * 1024;
    {
        const std::string chunk(1024 * 1024, '9');
        int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        for (size_t written = 0; written < nines; written += chunk.size())
            ASSERT_EQ(write(fd, chunk.data(), chunk.size()), static_cast<ssize_t>(chunk.size()));
        const std::string tail = "\n2\n3\n4\n";
        ASSERT_EQ(write(fd, tail.data(), tail.size()), static_cast<ssize_t>(tail.size()));
        ASSERT_EQ(close(fd), 0);
    }
    const long peakBefore = PeakRssKiB();
    TScores got{};
    std::string error;
    ASSERT_TRUE(ReadHighScoreFile(file, got, error)) << error;
    const long peakAfter = PeakRssKiB();

    const int32_t wrapped = static_cast<int32_t>(PowerOfTenWrapped(nines) - 1);
    EXPECT_EQ(got, (TScores{wrapped, 2, 3, 4}));
    EXPECT_LT(peakAfter - peakBefore, 4 * 1024) << "peak memory grew by " << peakAfter - peakBefore << " KiB";
}

// --- Writing ----------------------------------------------------------------

TEST(FormatHighScores, ExactBytes) {
    EXPECT_EQ(FormatHighScores({12, 0, 7, 0}),
              std::string("\x31\x32\x0D\x0A\x30\x0D\x0A\x37\x0D\x0A\x30\x0D\x0A", 13));
    EXPECT_EQ(FormatHighScores({-1, INT32_MIN, INT32_MAX, -40}),
              "-1\r\n-2147483648\r\n2147483647\r\n-40\r\n");
}

TEST_F(HighScoreFolder, SaveWritesExactBytesAndReadsBack) {
    const TScores values{INT32_MIN, -1, 0, INT32_MAX};
    std::string error;
    WriteBytes(file, "old contents that are much longer than the new ones\n\n\n\n\n\n");
    ASSERT_TRUE(WriteHighScoreFile(file, values, error)) << error;
    EXPECT_EQ(ReadBytes(file), FormatHighScores(values));
    EXPECT_EQ(Names(folder), std::vector<std::string>{"highscore.ini"});
    TScores back{};
    ASSERT_TRUE(ReadHighScoreFile(file, back, error)) << error;
    EXPECT_EQ(back, values);
}

TEST_F(HighScoreFolder, LeftoverTemporaryOfACrashedRunIsReplaced) {
    const std::string leftover = file + ".tmp-" + std::to_string(getpid());
    WriteBytes(leftover, "half");
    std::string error;
    ASSERT_TRUE(WriteHighScoreFile(file, {1, 2, 3, 4}, error)) << error;
    EXPECT_EQ(ReadBytes(file), "1\r\n2\r\n3\r\n4\r\n");
    EXPECT_EQ(Names(folder), std::vector<std::string>{"highscore.ini"});
}

TEST_F(HighScoreFolder, EachFailedStepKeepsTheOldFile) {
    struct TCase {
        TWriteFault fault;
        const char* reason;
    };
    const TCase cases[] = {
        {TWriteFault::Create, "cannot create the temporary file: Permission denied"},
        {TWriteFault::Write, "cannot write the temporary file: No space left on device"},
        {TWriteFault::Sync, "cannot sync the temporary file: Input/output error"},
        {TWriteFault::Close, "cannot close the temporary file: Input/output error"},
        {TWriteFault::Rename, "cannot replace the file: Input/output error"},
    };
    const std::string old = "3\r\n1\r\n4\r\n1\r\n";
    for (const TCase& c : cases) {
        WriteBytes(file, old);
        SetWriteFaultForTesting(c.fault);
        std::string error;
        EXPECT_FALSE(WriteHighScoreFile(file, {9, 9, 9, 9}, error)) << c.reason;
        EXPECT_EQ(error, c.reason);
        EXPECT_EQ(ReadBytes(file), old) << c.reason;
        EXPECT_EQ(Names(folder), std::vector<std::string>{"highscore.ini"}) << c.reason;

        // With no old file, a failed save must not leave one (not even empty).
        ASSERT_EQ(unlink(file.c_str()), 0);
        EXPECT_FALSE(WriteHighScoreFile(file, {9, 9, 9, 9}, error)) << c.reason;
        EXPECT_TRUE(Names(folder).empty()) << c.reason;
    }
}

TEST_F(HighScoreFolder, FailedFolderSyncReportsButTheNewFileIsWhole) {
    WriteBytes(file, "1\r\n1\r\n1\r\n1\r\n");
    SetWriteFaultForTesting(TWriteFault::SyncFolder);
    std::string error;
    EXPECT_FALSE(WriteHighScoreFile(file, {2, 2, 2, 2}, error));
    EXPECT_EQ(error, "saved, but cannot sync the folder: Input/output error");
    EXPECT_EQ(ReadBytes(file), "2\r\n2\r\n2\r\n2\r\n");
    EXPECT_EQ(Names(folder), std::vector<std::string>{"highscore.ini"});
}

TEST_F(HighScoreFolder, RealSaveFailuresLeaveNoTemporary) {
    std::string error;
    // The folder does not exist: nothing can be created.
    EXPECT_FALSE(WriteHighScoreFile(folder + "/gone/highscore.ini", {1, 2, 3, 4}, error));
    EXPECT_EQ(error, "cannot create the temporary file: No such file or directory");

    // A folder sits where the file should be: the rename fails, the folder
    // and what is in it stay, the temporary goes.
    ASSERT_EQ(mkdir(file.c_str(), 0755), 0);
    WriteBytes(file + "/keep", "k");
    EXPECT_FALSE(WriteHighScoreFile(file, {1, 2, 3, 4}, error));
    EXPECT_EQ(error, std::string("cannot replace the file: ") + std::strerror(EISDIR));
    EXPECT_EQ(Names(folder), std::vector<std::string>{"highscore.ini"});
    EXPECT_EQ(ReadBytes(file + "/keep"), "k");
}

TEST_F(HighScoreFolder, ReadOnlyFolderKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "running as root: a read-only folder does not stop root (the fault hook covers it)";
    WriteBytes(file, "5\r\n5\r\n5\r\n5\r\n");
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    std::string error;
    EXPECT_FALSE(WriteHighScoreFile(file, {6, 6, 6, 6}, error));
    EXPECT_EQ(error, "cannot create the temporary file: Permission denied");
    EXPECT_EQ(ReadBytes(file), "5\r\n5\r\n5\r\n5\r\n");
    EXPECT_EQ(Names(folder), std::vector<std::string>{"highscore.ini"});
}

TEST_F(HighScoreFolder, FullDiskKeepsTheOldFile) {
    const std::string disk = folder + "/disk";
    ASSERT_EQ(mkdir(disk.c_str(), 0755), 0);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "cannot mount a tiny tmpfs here: " << std::strerror(errno);
    // Unmounted on every way out, so the folder can be removed afterwards.
    struct TUnmount {
        std::string at;
        ~TUnmount() { umount2(at.c_str(), MNT_DETACH); }
    } unmount{disk};
    const std::string target = disk + "/highscore.ini";
    const std::string old = "8\r\n8\r\n8\r\n8\r\n";
    WriteBytes(target, old);
    // Fill every remaining byte.
    {
        int fd = open((disk + "/filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        const std::string block(512, 'x');
        while (write(fd, block.data(), block.size()) > 0) {}
        close(fd);
    }
    std::string error;
    const bool saved = WriteHighScoreFile(target, {9, 9, 9, 9}, error);
    const std::string after = ReadBytes(target);
    const std::vector<std::string> names = Names(disk);
    // Room again: the next save goes through.
    unlink((disk + "/filler").c_str());
    std::string errorWithRoom;
    const bool savedWithRoom = WriteHighScoreFile(target, {9, 9, 9, 9}, errorWithRoom);
    const std::string afterWithRoom = ReadBytes(target);

    EXPECT_FALSE(saved);
    EXPECT_EQ(error, "cannot write the temporary file: No space left on device");
    EXPECT_EQ(after, old);
    EXPECT_EQ(names, (std::vector<std::string>{"filler", "highscore.ini"}));
    EXPECT_TRUE(savedWithRoom) << errorWithRoom;
    EXPECT_EQ(afterWithRoom, "9\r\n9\r\n9\r\n9\r\n");
}

// --- The game's entry points, in the folder the game runs from -------------

class GameFolder : public HighScoreFolder {
protected:
    void SetUp() override {
        HighScoreFolder::SetUp();
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        previous = here;
        ASSERT_EQ(chdir(folder.c_str()), 0);
    }
    void TearDown() override {
        if (!previous.empty()) {
            EXPECT_EQ(chdir(previous.c_str()), 0);
        }
        HighScoreFolder::TearDown();
    }
    std::string previous;
    TGame game;
};

TEST_F(GameFolder, MissingFileIsAQuietFirstRun) {
    game.highScores = {1, 2, 3, 4};
    testing::internal::CaptureStderr();
    LoadHighScores(game);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(game.highScores, (TScores{0, 0, 0, 0}));
}

TEST_F(GameFolder, BrokenFileIsReportedOnce) {
    game.highScores = {1, 2, 3, 4};
    ASSERT_EQ(mkdir("highscore.ini", 0755), 0);
    testing::internal::CaptureStderr();
    LoadHighScores(game);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string("zep: highscore.ini: ") + std::strerror(EISDIR) + "; starting with no best scores\n");
    EXPECT_EQ(game.highScores, (TScores{0, 0, 0, 0}));
}

TEST_F(GameFolder, LoadThenSaveRewritesLineBreaksAsCrLf) {
    WriteBytes("highscore.ini", "12\n0\n7\n0\n");
    testing::internal::CaptureStderr();
    LoadHighScores(game);
    EXPECT_EQ(game.highScores, (TScores{12, 0, 7, 0}));
    SaveHighScores(game);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(ReadBytes("highscore.ini"), std::string("\x31\x32\x0D\x0A\x30\x0D\x0A\x37\x0D\x0A\x30\x0D\x0A", 13));
    EXPECT_EQ(Names(folder), std::vector<std::string>{"highscore.ini"});
}

TEST_F(GameFolder, FailedSaveIsReportedAndTheScoresStay) {
    WriteBytes("highscore.ini", "1\r\n1\r\n1\r\n1\r\n");
    game.highScores = {40, 30, 20, 10};
    SetWriteFaultForTesting(TWriteFault::Write);
    testing::internal::CaptureStderr();
    SaveHighScores(game);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "zep: highscore.ini: cannot save best scores: cannot write the temporary file: No space left on device\n");
    EXPECT_EQ(game.highScores, (TScores{40, 30, 20, 10}));
    EXPECT_EQ(ReadBytes("highscore.ini"), "1\r\n1\r\n1\r\n1\r\n");
}
