// Helpers shared by the tests: temporary folders, a copy of the built game's
// assets, and a game brought up on the headless platform.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "game/Game.h"
#include "game/StartUp.h"
#include "platform/HeadlessPlatform.h"

// A fresh folder under /tmp, removed with everything in it at the end.
class TTempDir {
public:
    TTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zep-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Copies the images and music the build made into folder.
inline void CopyGameAssets(const std::string& folder) {
    namespace fs = std::filesystem;
    fs::copy(fs::path(ZEP_BUILD_DIR) / "Images", fs::path(folder) / "Images", fs::copy_options::recursive);
    fs::copy_file(fs::path(ZEP_BUILD_DIR) / "main.ogg", fs::path(folder) / "main.ogg");
}

// A game started on the headless platform in its own copy of the game folder.
struct THeadlessGame {
    TTempDir dir;
    THeadlessPlatform platform;
    std::unique_ptr<TGame> game = std::make_unique<TGame>();
    std::string error;

    explicit THeadlessGame(const std::string& highScores = "") {
        CopyGameAssets(dir.Path());
        if (!highScores.empty()) WriteFileBytes(dir / "highscore.ini", highScores);
        started = StartUp(*game, platform, dir.Path(), error);
    }
    bool started = false;

    // One pass of the frame loop.
    void Frame() { RunFrame(*game, platform); }
    void Frames(int n) {
        for (int k = 0; k < n; ++k) Frame();
    }
};
