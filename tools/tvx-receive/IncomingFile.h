#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/// A wire name (one byte per character, ISO-8859-1) checked before anything is stored under it.
struct NameCheck {
    std::string name;     ///< the name for the file system (UTF-8) when it is good
    std::string problem;  ///< why it is refused; empty when it is good
};

/// Refuses what could leave the folder or hide in it: an empty or overlong name, a path
/// separator ('/' or '\'), "..", a leading dot, a control character. Of the rest, only the
/// layout file "tvxdef.ini" and pictures (.png, .jpg, .jpeg, .bmp in any letter case) are
/// taken: nothing else a panel sends, and nothing a stranger could make the panel run.
NameCheck CheckWireName(const std::string& bytes);

/// Bytes that stay free on the disk after any file is stored.
constexpr std::uint64_t kSpaceMargin = std::uint64_t{1} << 20;

/// Why a file of `length` bytes is refused when `freeBytes` are free and `promised` of them
/// belong to transfers under way (it must leave the margin); empty when it fits.
std::string CheckSpace(std::uint64_t length, std::uint64_t freeBytes, std::uint64_t promised = 0);

/// Why nothing may be stored as `name` in `folder`: something other than a regular file has
/// that name there (a folder, a pipe, a device, a socket, or a symbolic link, wherever it
/// points). Storing would fail at the end or put a file where the owner of the folder made
/// something else. Empty when the name is free or a regular file.
std::string CheckTarget(const std::string& folder, const std::string& name);

/// The bytes an ordinary user may still write in the folder's file system; nothing when it
/// cannot be told.
std::optional<std::uint64_t> FreeSpace(const std::string& folder);

/// Bytes for a line of output: printable ASCII as it is, everything else as \xNN.
std::string Printable(const std::string& bytes);

/// A file being received: written under a temporary name in the target folder, and put in
/// place under its own name only when it is complete. Whatever is not committed is removed.
class IncomingFile {
  public:
    IncomingFile() = default;
    ~IncomingFile();
    IncomingFile(const IncomingFile&) = delete;
    IncomingFile& operator=(const IncomingFile&) = delete;

    /// Creates the temporary file in `folder`. False with `error` set when it cannot.
    bool Create(const std::string& folder, std::string& error);
    bool Write(const std::uint8_t* data, std::size_t size, std::string& error);
    /// Syncs the file and renames it to `name` in the folder, replacing a file of that name. A
    /// layout file equal to the one there replaces nothing; one that differs keeps the old one
    /// as the newest of its backups (LayoutBackups).
    bool Commit(const std::string& name, std::string& error);
    /// Removes the temporary file.
    void Discard();
    /// The temporary file (full path) while there is one: what Commit would put in place.
    const std::string& Path() const { return m_temporary; }

    /// Our temporary names start with this; a received name never does (no leading dot).
    static constexpr const char* kTemporaryPrefix = ".tvx-receive-";

    /// Removes from `folder` the temporary files that receivers ended in the middle of a
    /// transfer (killed, or the power gone) left behind, and returns their names. A temporary
    /// file is locked for as long as its receiver holds it, so one that another receiver into the
    /// same folder is still writing stays.
    static std::vector<std::string> RemoveStale(const std::string& folder);

  private:
    /// Whether the finished file holds the bytes of the layout file at `target`; when it holds
    /// others, the layout there is kept as the newest backup before it is replaced.
    bool SameAsLayoutThere(const std::string& target) const;

    int m_fd = -1;
    std::string m_folder;
    std::string m_temporary;  ///< full path, empty when there is none
};
