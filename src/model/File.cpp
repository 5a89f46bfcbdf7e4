#include "model/File.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "model/LayoutBackups.h"
#include "model/LayoutFormat.h"
#include "model/Paths.h"
#include "model/WholeFile.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Files

/// Sets the reason of a failed load or store, "what name: the system's words for
/// error_number". Callers pass errno straight in: no argument here allocates before it is read.
void Explain(std::string* error, const char* what, const std::string& name, int error_number) {
    if (error != nullptr) {
        *error = std::string(what) + " " + name;
        if (error_number != 0) {
            *error += ": ";
            *error += std::strerror(error_number);
        }
    }
}

/// Explains, and gives Failed.
FileStatus Fail(std::string* error, const char* what, const std::string& name, int error_number) {
    Explain(error, what, name, error_number);
    return FileStatus::Failed;
}

/// A chain of symbolic links may be no longer than this, as in the kernel.
constexpr int kMostLinks = 40;

/// Where a name leads once the symbolic links at its end are followed.
struct LinkEnd {
    std::string path;     ///< the last name of the chain (the name itself when it is no link)
    struct stat info {};  ///< of that name, not following it; valid when error is 0
    int error = 0;        ///< errno of looking at `path`, or ELOOP for an endless chain
};

/// Follows the symbolic links at the end of `path` one by one; a relative target counts from
/// the folder of its link. The result names the file itself, so that a store can replace it
/// there and leave every link as it is.
LinkEnd FollowLinks(const std::string& path) {
    LinkEnd end{path};
    for (int links = 0;; ++links) {
        if (::lstat(end.path.c_str(), &end.info) != 0) {
            end.error = errno;
            return end;
        }
        if (!S_ISLNK(end.info.st_mode)) {
            return end;
        }
        if (links == kMostLinks) {
            end.error = ELOOP;
            return end;
        }
        // Some file systems give a link no size: room for any path then.
        std::string target(
            static_cast<std::size_t>(std::max<off_t>(end.info.st_size, PATH_MAX)) + 1, '\0');
        const ssize_t length = ::readlink(end.path.c_str(), target.data(), target.size());
        if (length <= 0) {
            // An empty target names nothing, as the kernel sees it.
            end.error = length < 0 ? errno : ENOENT;
            return end;
        }
        if (static_cast<std::size_t>(length) >= target.size()) {
            continue;  // the link changed while we looked: look again
        }
        target.resize(static_cast<std::size_t>(length));
        end.path = target.front() == '/' ? target : FolderOf(end.path) + "/" + target;
    }
}

/// Whether the load and the store can use the layout file at `path`, whose links end at `end`:
/// Ok for a regular file, Missing when nothing at all is at `path`, else Failed with the
/// reason (a link that leads nowhere is Failed: the name is there, and the user put it there).
FileStatus CheckUsable(const std::string& path, const LinkEnd& end, std::string* error) {
    const bool nothing = end.error == ENOENT || end.error == ENOTDIR;
    if (nothing && end.path == path) {
        return FileStatus::Missing;
    }
    std::string why;
    if (nothing) {
        why = "the link " + path + " leads to " + end.path + ", which does not exist";
    } else if (end.error == ELOOP) {
        return Fail(error, "cannot follow the links of", path, ELOOP);
    } else if (end.error != 0) {
        return Fail(error, "cannot examine", end.path, end.error);
    } else if (S_ISDIR(end.info.st_mode)) {
        why = end.path + " is a folder";
    } else if (!S_ISREG(end.info.st_mode)) {
        why = end.path + " is not a regular file";
    } else {
        return FileStatus::Ok;
    }
    if (error != nullptr) {
        *error = why;
    }
    return FileStatus::Failed;
}

}  // namespace

std::string File::LayoutPath(const Layout& layout) {
    return PathInFolder(layout.Form.LayoutDirectory, kLayoutFileName);
}

FileStatus File::ReadLayoutBytes(const std::string& path, long long largest, std::string& bytes,
                                 std::string* error) const {
    const LinkEnd end = FollowLinks(path);
    if (const FileStatus usable = CheckUsable(path, end, error); usable != FileStatus::Ok) {
        return usable;
    }
    // Far beyond any layout (the largest the program writes is under 2 MB): nothing that big is
    // read into memory.
    if (static_cast<long long>(end.info.st_size) > largest) {
        return Fail(error, "larger than a layout file can be (16 MiB):", end.path, 0);
    }
    errno = 0;
    if (!ReadWholeFile(end.path, bytes)) {
        return Fail(error, "cannot read", end.path, errno);
    }
    if (static_cast<long long>(bytes.size()) > largest) {
        return Fail(error, "larger than a layout file can be (16 MiB):", end.path, 0);
    }
    return FileStatus::Ok;
}

FileStatus File::LoadLayout(Layout& layout, std::string* error) const {
    std::string bytes;
    const FileStatus status = ReadLayoutBytes(LayoutPath(layout), kMostLayoutBytes, bytes, error);
    if (status == FileStatus::Ok) {
        LayoutFormat::ParseLayout(bytes, layout);
    }
    return status;
}

FileStatus File::LoadCompleteLayout(Layout& layout, std::string* error) const {
    return LoadCompleteLayoutAt(LayoutPath(layout), layout, error);
}

FileStatus File::LoadCompleteLayoutAt(const std::string& path, Layout& layout,
                                      std::string* error) const {
    std::string bytes;
    const FileStatus status = ReadLayoutBytes(path, kMostLayoutBytes, bytes, error);
    if (status != FileStatus::Ok) {
        return status;
    }
    // The last line as the reader sees it: from two bytes after the CR before it up to its own
    // CR, after which at most the one byte the reader drops may follow.
    const std::string_view all(bytes);
    const std::size_t cr = all.rfind('\r');
    const bool ended = cr != std::string_view::npos && all.size() - cr <= 2;
    const std::size_t before = ended && cr > 0 ? all.rfind('\r', cr - 1) : std::string_view::npos;
    const std::size_t start = before == std::string_view::npos ? 0 : before + 2;
    if (!ended || start > cr || all.substr(start, cr - start) != "EndOfFile") {
        Explain(error, "no \"EndOfFile\" line at the end of", path, 0);
        return FileStatus::Incomplete;
    }
    LayoutFormat::ParseLayout(bytes, layout);
    return FileStatus::Ok;
}

std::string File::BackupPath(const Layout& layout) {
    return FollowLinks(LayoutPath(layout)).path + kBackupSuffix;
}

bool File::ReadWholeFile(const std::string& path, std::string& bytes) const {
    return ::ReadWholeFile(path, bytes);
}

FileStatus File::StoreLayout(const Layout& layout, std::string* error) const {
    const std::string path = LayoutPath(layout);
    // Through a link, the file it leads to is replaced: the new file goes beside it.
    const LinkEnd end = FollowLinks(path);
    if (const FileStatus usable = CheckUsable(path, end, error); usable != FileStatus::Ok) {
        return usable;
    }
    const std::string& target = end.path;
    const struct stat& old = end.info;
    // The old store opened the file itself for writing: a write-protected file stays as it is.
    if (::access(target.c_str(), W_OK) != 0) {
        return Fail(error, "cannot write", target, errno);
    }

    const std::string bytes = LayoutFormat::FormatLayout(layout);
    // What the file holds now: a store that would write the same bytes writes nothing, and
    // anything else is kept as the newest backup. A file that cannot be read is replaced all
    // the same, without a backup.
    std::string current;
    std::string backupError;
    const bool haveCurrent =
        ReadLayoutBytes(target, kMostLayoutBytes, current, &backupError) == FileStatus::Ok;
    if (haveCurrent && current == bytes) {
        return FileStatus::Ok;
    }
    const std::string folder = FolderOf(target);
    TemporaryFile temporary(folder);
    if (!temporary.Created()) {
        return Fail(error, "cannot create a temporary file in", folder, errno);
    }
    if (!WriteAll(temporary.Descriptor(), bytes)) {
        return Fail(error, "cannot write", temporary.Path(), errno);
    }
    // Only a privileged process may hand the file back to its owner; for anyone else the
    // new file is theirs already, as the old one was.
    if (::fchown(temporary.Descriptor(), old.st_uid, old.st_gid) != 0 && errno != EPERM) {
        return Fail(error, "cannot set the owner of", temporary.Path(), errno);
    }
    if (::fchmod(temporary.Descriptor(), old.st_mode & 07777) != 0) {
        return Fail(error, "cannot set the permissions of", temporary.Path(), errno);
    }
    if (::fsync(temporary.Descriptor()) != 0) {
        return Fail(error, "cannot sync", temporary.Path(), errno);
    }
    if (!temporary.Close()) {
        return Fail(error, "cannot close", temporary.Path(), errno);
    }
    // The file about to be replaced is kept; a store that cannot keep it still goes on.
    const bool backedUp =
        haveCurrent && LayoutBackups(target).Keep(current, old.st_mode & 07777, &backupError);
    errno = 0;
    if (!ReplaceFile(temporary.Path(), target)) {
        return Fail(error, "cannot replace", target, errno);
    }
    temporary.MarkPlaced();
    // Without this a power cut can still bring back the old file, or no file at all. The new
    // file is in place all the same: the store is done, with a warning.
    errno = 0;
    if (!SyncFolder(folder)) {
        Explain(error, "cannot sync the folder", folder, errno);
        return FileStatus::StoredUnsynced;
    }
    if (!backedUp) {
        if (error != nullptr) {
            *error = backupError;
        }
        return FileStatus::StoredWithoutBackup;
    }
    return FileStatus::Ok;
}

bool File::ReplaceFile(const std::string& temporary, const std::string& target) const {
    return ::rename(temporary.c_str(), target.c_str()) == 0;
}

bool File::SyncFolder(const std::string& folder) const {
    return ::SyncFolder(folder);
}

void File::RemoveStaleTemporaries(const std::wstring& directory) {
    TemporaryFile::RemoveStale(directory.empty() ? std::string(".") : NativeName(directory));
}
