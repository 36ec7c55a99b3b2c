#include "platform/Files.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The injected failure of the test hook; always None in the game.
TWriteFault gWriteFault = TWriteFault::None;

// The errno text, as the messages the player sees end with it.
std::string ErrorText(int code) {
    return std::strerror(code);
}

// Closes fd for a path we only read; a failed close cannot lose data there.
void CloseQuietly(int fd) {
    if (fd >= 0) ::close(fd);
}

// Writes all of bytes to fd, retrying after signals and short writes.
// Returns 0 or the errno of the failure.
int WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC; // no progress: the disk takes nothing more
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

// The folder holding path, for syncing the rename into it.
std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Makes the folder's entry change (the rename) durable. Returns 0 or errno.
int SyncFolder(const std::string& folder) {
    if (gWriteFault == TWriteFault::SyncFolder) return EIO;
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int code = 0;
    if (::fsync(fd) != 0 && errno != EINVAL) code = errno; // EINVAL: folders cannot be synced here
    ::close(fd);
    return code;
}

// Creates the temporary exclusively; a leftover of the same name is from an
// earlier crashed run that had our pid, so it is removed and tried once more.
int CreateTemporary(const std::string& temporary, int& code) {
    if (gWriteFault == TWriteFault::Create) {
        code = EACCES;
        return -1;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd = ::open(temporary.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0) return fd;
        code = errno;
        if (code != EEXIST || attempt > 0) break;
        ::unlink(temporary.c_str());
    }
    return -1;
}

} // namespace

void SetWriteFaultForTesting(TWriteFault fault) {
    gWriteFault = fault;
}

bool ReadFileInChunks(const std::string& path,
                      const std::function<bool(std::string_view chunk)>& consume,
                      std::string& error, int& errorCode) {
    error.clear();
    errorCode = 0;
    // O_NONBLOCK so that a FIFO without a writer cannot hang the open; it
    // changes nothing for regular files, the only kind read below.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        errorCode = errno;
        error = ErrorText(errorCode);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        errorCode = errno;
        error = ErrorText(errorCode);
        CloseQuietly(fd);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        errorCode = EISDIR;
        error = ErrorText(errorCode);
        CloseQuietly(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        errorCode = EINVAL;
        error = "not a regular file";
        CloseQuietly(fd);
        return false;
    }
    std::vector<char> buffer(kFileChunkSize);
    for (;;) {
        ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            errorCode = errno;
            error = ErrorText(errorCode);
            CloseQuietly(fd);
            return false;
        }
        if (n == 0) break;
        if (!consume(std::string_view(buffer.data(), static_cast<size_t>(n)))) break;
    }
    CloseQuietly(fd);
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error) {
    error.clear();
    const std::string temporary = path + ".tmp-" + std::to_string(::getpid());

    int code = 0;
    int fd = CreateTemporary(temporary, code);
    if (fd < 0) {
        error = "cannot create the temporary file: " + ErrorText(code);
        return false;
    }

    // From here on every failure removes the temporary, so only path remains.
    auto fail = [&](const char* what, int failCode) {
        ::unlink(temporary.c_str());
        error = std::string(what) + ": " + ErrorText(failCode);
        return false;
    };

    if (gWriteFault == TWriteFault::Write) {
        // A disk that fills up halfway through the temporary.
        WriteAll(fd, bytes.data(), bytes.size() / 2);
        ::close(fd);
        return fail("cannot write the temporary file", ENOSPC);
    }
    code = WriteAll(fd, bytes.data(), bytes.size());
    if (code != 0) {
        ::close(fd);
        return fail("cannot write the temporary file", code);
    }

    if (gWriteFault == TWriteFault::Sync) {
        ::close(fd);
        return fail("cannot sync the temporary file", EIO);
    }
    if (::fsync(fd) != 0) {
        code = errno;
        ::close(fd);
        return fail("cannot sync the temporary file", code);
    }

    // A failed close can mean lost data on some filesystems: not trusted.
    // The descriptor is gone either way, so close is never retried.
    if (::close(fd) != 0) return fail("cannot close the temporary file", errno);
    if (gWriteFault == TWriteFault::Close) return fail("cannot close the temporary file", EIO);

    if (gWriteFault == TWriteFault::Rename) return fail("cannot replace the file", EIO);
    if (::rename(temporary.c_str(), path.c_str()) != 0) return fail("cannot replace the file", errno);

    // The new file is in place and whole; only its durability is in doubt.
    code = SyncFolder(FolderOf(path));
    if (code != 0) {
        error = "saved, but cannot sync the folder: " + ErrorText(code);
        return false;
    }
    return true;
}
