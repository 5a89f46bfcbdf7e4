#pragma once

#include <string>
#include <string_view>

/// Reading and writing files whole, so that a crash or a power cut never leaves less than a
/// whole file under a name the panel uses: a file is written under a temporary name beside its
/// target, synced, and renamed over it in one step. Paths are native (UTF-8).

/// Every byte of the file at `path`. False with errno set when it cannot be read. Opens without
/// blocking: a pipe put in a file's place does not hang the caller.
bool ReadWholeFile(const std::string& path, std::string& bytes);

/// Writes every byte, going on after short writes and interruptions. False with errno set.
bool WriteAll(int fd, std::string_view bytes);

/// The folder part of a path ("." when it has none).
std::string FolderOf(const std::string& path);

/// Writes `bytes` as the file `target` with the given permission bits, whole or not at all:
/// the old file at `target`, if any, stays until the new one is complete and synced. The
/// folder is not synced (a caller that needs the new name to survive a power cut syncs it).
/// False with `error` (when given) saying why; nothing is then left beside the target.
bool WriteWholeFile(const std::string& target, std::string_view bytes, unsigned permissions,
                    std::string* error);

/// Makes the renames in `folder` durable. False with errno set when the folder cannot be synced
/// (a file system that cannot sync a folder at all counts as done).
bool SyncFolder(const std::string& folder);

/// The temporary file of one whole write, beside its target: closed and removed on every way
/// out unless it was renamed into place. Its name starts with a dot, so the layout folder never
/// lists it as a picture, and RemoveStaleTemporaries knows it.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& folder);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool Created() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }
    const std::string& Path() const { return m_path; }

    /// Closes the file. A close is never retried, whatever it reports.
    bool Close();
    void MarkPlaced() { m_placed = true; }

    /// Whether a name in a folder is one of ours, left by a write that was cut short.
    static bool IsOurs(std::string_view name);
    /// Deletes the temporary files that interrupted writes left in `folder`.
    static void RemoveStale(const std::string& folder);

  private:
    static constexpr int kNeverCreated = -1;
    static constexpr int kClosed = -2;
    std::string m_path;
    int m_fd = kNeverCreated;
    bool m_placed = false;
};
