#include "model/WholeFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

/// Our temporary files: the prefix, then the six characters mkstemp fills in.
constexpr std::string_view kTemporaryPrefix = ".tvxdef.ini.";
constexpr std::size_t kTemporaryRandomChars = 6;

/// "what name: the system's words for error_number" as the reason, when one is asked for.
/// Callers pass errno straight in: no argument here allocates before it is read.
bool Fail(std::string* error, const char* what, const std::string& name, int error_number) {
    if (error != nullptr) {
        *error = std::string(what) + " " + name + ": " + std::strerror(error_number);
    }
    return false;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0) {
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0) {
            ::close(fd);
            return true;
        } else if (errno != EINTR) {
            const int read_error = errno;
            ::close(fd);
            errno = read_error;
            return false;
        }
    }
}

bool WriteAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, data, left);
        if (done > 0) {
            data += done;
            left -= static_cast<std::size_t>(done);
        } else if (done == 0) {
            errno = EIO;
            return false;
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteWholeFile(const std::string& target, std::string_view bytes, unsigned permissions,
                    std::string* error) {
    const std::string folder = FolderOf(target);
    TemporaryFile temporary(folder);
    if (!temporary.Created()) {
        return Fail(error, "cannot create a temporary file in", folder, errno);
    }
    if (!WriteAll(temporary.Descriptor(), bytes) ||
        ::fchmod(temporary.Descriptor(), permissions) != 0 ||
        ::fsync(temporary.Descriptor()) != 0) {
        return Fail(error, "cannot write", temporary.Path(), errno);
    }
    if (!temporary.Close()) {
        return Fail(error, "cannot close", temporary.Path(), errno);
    }
    if (::rename(temporary.Path().c_str(), target.c_str()) != 0) {
        return Fail(error, "cannot replace", target, errno);
    }
    temporary.MarkPlaced();
    return true;
}

bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // A file system that cannot sync a folder says EINVAL: there is nothing more to do.
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int sync_error = errno;
    ::close(fd);
    errno = sync_error;
    return synced;
}

TemporaryFile::TemporaryFile(const std::string& folder)
    : m_path(folder + (folder.back() == '/' ? "" : "/") + std::string(kTemporaryPrefix) +
             std::string(kTemporaryRandomChars, 'X')) {
    m_fd = ::mkostemp(m_path.data(), O_CLOEXEC);
}

TemporaryFile::~TemporaryFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    if (!m_placed && m_fd != kNeverCreated) {
        ::unlink(m_path.c_str());
    }
}

bool TemporaryFile::Close() {
    const int fd = m_fd;
    m_fd = kClosed;
    return ::close(fd) == 0;
}

bool TemporaryFile::IsOurs(std::string_view name) {
    if (name.size() != kTemporaryPrefix.size() + kTemporaryRandomChars ||
        name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix) {
        return false;
    }
    const std::string_view random = name.substr(kTemporaryPrefix.size());
    return std::all_of(random.begin(), random.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
}

void TemporaryFile::RemoveStale(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsOurs(entry->d_name)) {
            stale.emplace_back(entry->d_name);
        }
    }
    for (const std::string& name : stale) {
        ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}
