// Where the best scores are kept: beside the program while its folder is
// writable, per user ($XDG_DATA_HOME/zep/) for a system-wide install; the
// choice as a table, then the real load and save, then a won game.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "board/Iso.h"
#include "records/HighScores.h"
#include "screens/Screens.h"

namespace {

// --- The choice, pure -------------------------------------------------------

TEST(PerUserHighScorePath, Table) {
    struct TCase {
        const char* xdg;
        const char* home;
        std::string expected;
    };
    const TCase cases[] = {
        {"/x/data", "/home/u", "/x/data/zep/highscore.ini"},
        {"/x/data///", "/home/u", "/x/data/zep/highscore.ini"},
        {"/", "/home/u", "/zep/highscore.ini"},
        {nullptr, "/home/u", "/home/u/.local/share/zep/highscore.ini"},
        {"", "/home/u/", "/home/u/.local/share/zep/highscore.ini"},         // empty counts as unset
        {"data", "/home/u", "/home/u/.local/share/zep/highscore.ini"},      // relative: ignored
        {"~/data", "/home/u", "/home/u/.local/share/zep/highscore.ini"},    // no shell expansion
        {nullptr, "/", "/.local/share/zep/highscore.ini"},
        {"/x/data", nullptr, "/x/data/zep/highscore.ini"},
        {nullptr, nullptr, ""},
        {"", "", ""},
        {"data", "home/u", ""},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(PerUserHighScorePath(c.xdg, c.home), c.expected)
            << "XDG_DATA_HOME=" << (c.xdg ? c.xdg : "(unset)") << " HOME=" << (c.home ? c.home : "(unset)");
}

TEST(PickHighScorePath, Table) {
    struct TCase {
        const char* what;
        TScorePlace place;
        TScoreUse use;
        std::string expected;
    };
    const std::string xdgFile = "/x/data/zep/highscore.ini";
    const std::string homeFile = "/home/u/.local/share/zep/highscore.ini";
    const TCase cases[] = {
        {"writable folder keeps its own file", {true, "/x/data", "/home/u", false}, TScoreUse::Save, "highscore.ini"},
        {"writable folder ignores a per-user file", {true, "/x/data", "/home/u", true}, TScoreUse::Load, "highscore.ini"},
        {"install, first run reads beside", {false, "/x/data", "/home/u", false}, TScoreUse::Load, "highscore.ini"},
        {"install, first save goes per user", {false, "/x/data", "/home/u", false}, TScoreUse::Save, xdgFile},
        {"install, later runs read per user", {false, "/x/data", "/home/u", true}, TScoreUse::Load, xdgFile},
        {"install, later saves per user", {false, "/x/data", "/home/u", true}, TScoreUse::Save, xdgFile},
        {"no XDG_DATA_HOME: under HOME", {false, nullptr, "/home/u", true}, TScoreUse::Load, homeFile},
        {"relative XDG_DATA_HOME: under HOME", {false, "rel", "/home/u", false}, TScoreUse::Save, homeFile},
        {"nowhere per user: load beside", {false, nullptr, nullptr, true}, TScoreUse::Load, "highscore.ini"},
        {"nowhere per user: save beside", {false, "", "rel", false}, TScoreUse::Save, "highscore.ini"},
    };
    for (const TCase& c : cases) EXPECT_EQ(PickHighScorePath(c.place, c.use), c.expected) << c.what;
}

// --- The real load and save -------------------------------------------------

// Sets (or, with nullptr, unsets) one environment variable and puts the old
// value back afterwards.
class TEnvVar {
public:
    TEnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~TEnvVar() {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A system-wide install as seen by the game: the program's folder reads as
// unwritable, XDG_DATA_HOME is a fresh folder (not yet holding data/), HOME
// points elsewhere so a real home is never touched.
struct TInstalledPlace {
    TTempDir root;
    const std::string data = root / "data";
    const std::string perUser = data + "/zep/highscore.ini";
    TEnvVar xdg{"XDG_DATA_HOME", data.c_str()};
    TEnvVar home{"HOME", (root / "home").c_str()};
    TInstalledPlace() { ReportFolderUnwritableForTesting(true); }
    ~TInstalledPlace() { ReportFolderUnwritableForTesting(false); }
};

// Runs in a fresh program folder as the current folder, and leaves it for
// the one it came from (or /tmp, when an earlier test's folder it came from
// is gone) before the folder is removed.
class ScoreFolder : public testing::Test {
protected:
    void SetUp() override {
        char here[4096];
        if (getcwd(here, sizeof here)) previous = here;
        ASSERT_EQ(chdir(program.Path().c_str()), 0) << std::strerror(errno);
    }
    void TearDown() override {
        if (previous.empty() || chdir(previous.c_str()) != 0) {
            ASSERT_EQ(chdir(std::filesystem::temp_directory_path().c_str()), 0);
        }
    }
    TTempDir program;
    std::string previous;
};

TEST_F(ScoreFolder, InstallReadsBesideFirstThenSavesAndReadsPerUser) {
    TInstalledPlace place;
    WriteFileBytes("highscore.ini", "5\n6\n7\n8\n");
    testing::internal::CaptureStderr();
    TGame first;
    LoadHighScores(first);
    EXPECT_EQ(first.highScores, (std::array<int32_t, 4>{5, 6, 7, 8})) << "no per-user file yet: the one beside";
    first.highScores[2] = 70;
    SaveHighScores(first);
    TGame second;
    LoadHighScores(second);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    EXPECT_EQ(ReadFileBytes(place.perUser), "5\r\n6\r\n70\r\n8\r\n");
    EXPECT_EQ(ReadFileBytes("highscore.ini"), "5\n6\n7\n8\n") << "the program's folder is left alone";
    EXPECT_EQ(second.highScores, (std::array<int32_t, 4>{5, 6, 70, 8}));
    struct stat info {};
    ASSERT_EQ(stat((place.data + "/zep").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_FALSE(std::filesystem::exists(place.root / "home")) << "XDG_DATA_HOME wins over HOME";
}

TEST_F(ScoreFolder, WithoutXdgDataHomeTheFileGoesUnderHome) {
    TInstalledPlace place;
    TEnvVar noXdg("XDG_DATA_HOME", nullptr);
    TGame game;
    game.highScores = {1, 2, 3, 4};
    testing::internal::CaptureStderr();
    SaveHighScores(game);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(ReadFileBytes(place.root / "home/.local/share/zep/highscore.ini"), "1\r\n2\r\n3\r\n4\r\n");
    EXPECT_FALSE(std::filesystem::exists("highscore.ini"));
}

TEST_F(ScoreFolder, WritableFolderKeepsItsFileEvenWhenAPerUserOneExists) {
    TTempDir data;
    TEnvVar xdg("XDG_DATA_HOME", data.Path().c_str());
    ASSERT_EQ(mkdir((data / "zep").c_str(), 0700), 0);
    WriteFileBytes(data / "zep/highscore.ini", "9\n9\n9\n9\n");
    WriteFileBytes("highscore.ini", "1\n2\n3\n4\n");
    TGame game;
    LoadHighScores(game);
    EXPECT_EQ(game.highScores, (std::array<int32_t, 4>{1, 2, 3, 4}));
    game.highScores[0] = 11;
    SaveHighScores(game);
    EXPECT_EQ(ReadFileBytes("highscore.ini"), "11\r\n2\r\n3\r\n4\r\n");
    EXPECT_EQ(ReadFileBytes(data / "zep/highscore.ini"), "9\n9\n9\n9\n");
}

TEST_F(ScoreFolder, NoUsablePerUserPlaceFallsBackToTheFileBeside) {
    TInstalledPlace place;
    TEnvVar noXdg("XDG_DATA_HOME", "relative/data");
    TEnvVar noHome("HOME", nullptr);
    WriteFileBytes("highscore.ini", "3\n3\n3\n3\n");
    TGame game;
    LoadHighScores(game);
    EXPECT_EQ(game.highScores, (std::array<int32_t, 4>{3, 3, 3, 3}));
    // Only reported unwritable, so the save beside really goes through here.
    game.highScores[3] = 4;
    SaveHighScores(game);
    EXPECT_EQ(ReadFileBytes("highscore.ini"), "3\r\n3\r\n3\r\n4\r\n");
    EXPECT_FALSE(std::filesystem::exists("relative"));
}

TEST_F(ScoreFolder, MessagesNameThePerUserFile) {
    TInstalledPlace place;
    TGame game;
    game.highScores = {1, 2, 3, 4};

    // A plain file where XDG_DATA_HOME's folder should be: nothing can be made.
    WriteFileBytes(place.data, "not a folder");
    testing::internal::CaptureStderr();
    SaveHighScores(game);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "zep: " + place.perUser + ": cannot save best scores: cannot create the folder " + place.data +
                  "/zep: " + std::strerror(ENOTDIR) + "\n");
    EXPECT_EQ(game.highScores, (std::array<int32_t, 4>{1, 2, 3, 4}));

    // A folder where the per-user file should be: it exists, so loading reads
    // it, fails and says which file.
    ASSERT_EQ(unlink(place.data.c_str()), 0);
    ASSERT_EQ(mkdir(place.data.c_str(), 0700), 0);
    ASSERT_EQ(mkdir((place.data + "/zep").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(place.perUser.c_str(), 0700), 0);
    WriteFileBytes("highscore.ini", "5\n5\n5\n5\n");
    testing::internal::CaptureStderr();
    LoadHighScores(game);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "zep: " + place.perUser + ": " + std::strerror(EISDIR) + "; starting with no best scores\n");
    EXPECT_EQ(game.highScores, (std::array<int32_t, 4>{0, 0, 0, 0}));
}

TEST(MakeParentFolders, CreatesPrivateFoldersAndRefusesFiles) {
    TTempDir root;
    std::string error;
    ASSERT_TRUE(MakeParentFolders(root / "a/b/zep/highscore.ini", error)) << error;
    for (const char* folder : {"a", "a/b", "a/b/zep"}) {
        struct stat info {};
        ASSERT_EQ(stat((root / folder).c_str(), &info), 0) << folder;
        EXPECT_TRUE(S_ISDIR(info.st_mode)) << folder;
        EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
    }
    EXPECT_TRUE(MakeParentFolders(root / "a/b/zep/highscore.ini", error)) << "existing folders are fine";
    EXPECT_TRUE(MakeParentFolders("highscore.ini", error)) << "the current folder";

    WriteFileBytes(root / "file", "x");
    EXPECT_FALSE(MakeParentFolders(root / "file/highscore.ini", error));
    EXPECT_EQ(error, root / "file is not a folder");
}

// --- A won game of an installed copy ----------------------------------------

// The installed place is set up before the game starts, so start-up's load
// already sees the program's folder as unwritable.
TEST(InstalledGame, AWinLandsInThePerUserFileAndTheNextStartReadsIt) {
    TInstalledPlace place;
    {
        THeadlessGame t{"0\r\n6\r\n7\r\n8\r\n"};
        ASSERT_TRUE(t.started) << t.error;
        EXPECT_EQ(t.game->highScores, (std::array<int32_t, 4>{0, 6, 7, 8}));
        TGame& g = *t.game;
        g.lastRow = g.lastCol = 2;
        g.tiles = {};
        g.marks = {};
        g.tiles[1][1] = kGoal; // the start cell: the first play frame wins with score 1
        g.startX = int32_t(CellWorldX(1, 1));
        g.startY = int32_t(CellWorldY(1, 1)) + 16;
        g.camX = float(g.startX - 400);
        g.camY = float(g.startY - 300);
        g.modeFlags = {1, 0, 0, 0};
        g.screenMode = 1;
        t.Frame();
        ASSERT_EQ(g.screenMode, 0) << "the game did not end";
        EXPECT_EQ(g.highScores[0], 1);
        EXPECT_EQ(ReadFileBytes(place.perUser), "1\r\n6\r\n7\r\n8\r\n");
        EXPECT_EQ(ReadFileBytes(t.dir / "highscore.ini"), "0\r\n6\r\n7\r\n8\r\n") << "beside: untouched";
    }
    // Another copy of the installed folder, with no file of its own.
    THeadlessGame next;
    ASSERT_TRUE(next.started) << next.error;
    EXPECT_EQ(next.game->highScores, (std::array<int32_t, 4>{1, 6, 7, 8}));
}

} // namespace
