// Plain POSIX file helpers for the game's small data files (no SDL here):
// reading a file piece by piece in bounded memory, and replacing a file so
// that a crash or a full disk never leaves a half-written one behind.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Size of the one buffer ReadFileInChunks reads through; no read ever holds
// more of a file in memory than this.
constexpr size_t kFileChunkSize = 64 * 1024;

// Reads the regular file at path from its start, handing each chunk (at most
// kFileChunkSize bytes, never empty) to consume, until consume returns false
// or the file ends; so a caller that has what it needs stops early and a huge
// file costs no memory. Returns true when the file was opened and read
// without error (whether consume stopped early or not). On failure returns
// false, error = the reason (strerror text, or "not a regular file" for a
// FIFO, device or socket, which are refused rather than waited on) and
// errorCode = the errno value (ENOENT for a missing file, EISDIR for a
// folder, EINVAL for other non-regular files); errorCode is 0 on success.
// consume may already have seen some chunks when a later read fails.
bool ReadFileInChunks(const std::string& path,
                      const std::function<bool(std::string_view chunk)>& consume,
                      std::string& error, int& errorCode);

// Replaces the file at path with exactly bytes, crash-safely: writes them to
// "<path>.tmp-<pid>" in the same folder (created 0644 before the umask,
// O_EXCL; a leftover temporary of that name can only come from an earlier
// crashed run with our pid and is removed first), fsyncs it, closes it,
// renames it over path and fsyncs the folder. A failure before the rename
// leaves path exactly as it was (or still absent), removes the temporary and
// returns false with error = a short reason ("cannot write the temporary
// file: No space left on device"). path is never truncated or empty on the
// way. If only the final folder sync fails, path already holds the new bytes
// whole; it still returns false ("saved, but cannot sync the folder: ...")
// since the change may not survive a power cut. Filesystems that cannot sync
// folders at all (EINVAL) count as success.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error);

// Test hook: the step of WriteFileAtomically that is made to fail, so tests
// can prove each failure path leaves the old file alone. None in the game.
enum class TWriteFault {
    None,
    Create,     // opening the temporary fails (EACCES)
    Write,      // half the bytes are written, then ENOSPC
    Sync,       // fsync of the temporary fails (EIO)
    Close,      // close of the temporary fails (EIO), after really closing it
    Rename,     // the rename fails (EIO), path untouched
    SyncFolder, // fsync of the folder fails (EIO), after the rename
};
// Sets the injected fault; it stays until set back to TWriteFault::None.
void SetWriteFaultForTesting(TWriteFault fault);
