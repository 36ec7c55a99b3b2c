#include "platform/Process.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

std::string ProgramFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().string();
}

bool ChangeFolder(const std::string& folder, std::string& error) {
    if (chdir(folder.c_str()) == 0) return true;
    error = std::strerror(errno);
    return false;
}
