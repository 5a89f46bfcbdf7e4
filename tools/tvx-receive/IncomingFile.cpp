#include "IncomingFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "model/LayoutBackups.h"
#include "model/WholeFile.h"

namespace {

/// The longest name a Linux file system takes, in bytes.
constexpr std::size_t kMaxNameBytes = 255;

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

const char* const kLayoutFileName = "tvxdef.ini";
const char* const kPictureEndings[] = {".png", ".jpg", ".jpeg", ".bmp"};

bool EndsWithIgnoringCase(const std::string& text, const std::string& ending) {
    if (text.size() < ending.size()) {
        return false;
    }
    for (std::size_t i = 0; i < ending.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[text.size() - ending.size() + i]);
        if (std::tolower(c) != ending[i]) {
            return false;
        }
    }
    return true;
}

bool IsStoredKind(const std::string& name) {
    if (name == kLayoutFileName) {
        return true;
    }
    for (const char* ending : kPictureEndings) {
        if (EndsWithIgnoringCase(name, ending)) {
            return true;
        }
    }
    return false;
}

std::string Describe(const char* what, int error) {
    return std::string(what) + ": " + std::strerror(error);
}

}  // namespace

NameCheck CheckWireName(const std::string& bytes) {
    NameCheck check;
    if (bytes.empty()) {
        check.problem = "empty name";
        return check;
    }
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (IsControl(c)) {
            check.problem = "control character in the name";
            return check;
        }
        if (c == '/' || c == '\\') {
            check.problem = "path separator in the name";
            return check;
        }
    }
    if (bytes.find("..") != std::string::npos) {
        check.problem = "\"..\" in the name";
        return check;
    }
    if (bytes.front() == '.') {
        check.problem = "name starts with a dot";
        return check;
    }
    std::string name;
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            name += static_cast<char>(c);
        } else {
            name += static_cast<char>(0xC0 | (c >> 6));
            name += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    if (name.size() > kMaxNameBytes) {
        check.problem = "name too long";
        return check;
    }
    if (!IsStoredKind(bytes)) {
        check.problem = "neither tvxdef.ini nor a picture (.png, .jpg, .jpeg, .bmp)";
        return check;
    }
    check.name = name;
    return check;
}

std::string CheckSpace(std::uint64_t length, std::uint64_t freeBytes, std::uint64_t promised) {
    const std::uint64_t kept = kSpaceMargin + promised;
    if (promised <= UINT64_MAX - kSpaceMargin && freeBytes >= kept && length <= freeBytes - kept) {
        return std::string();
    }
    std::string problem =
        "no room, " + std::to_string(length) + " bytes with " + std::to_string(freeBytes) + " free";
    if (promised > 0) {
        problem += ", " + std::to_string(promised) + " of them promised to transfers under way,";
    }
    return problem + " and " + std::to_string(kSpaceMargin) + " to keep free";
}

std::string CheckTarget(const std::string& folder, const std::string& name) {
    struct stat info {};
    if (::lstat((folder + "/" + name).c_str(), &info) != 0) {
        return errno == ENOENT ? std::string() : Describe("cannot look at the name", errno);
    }
    if (S_ISREG(info.st_mode)) {
        return std::string();
    }
    const char* kind = S_ISDIR(info.st_mode)    ? "a folder"
                       : S_ISLNK(info.st_mode)  ? "a symbolic link"
                       : S_ISFIFO(info.st_mode) ? "a pipe"
                       : S_ISSOCK(info.st_mode) ? "a socket"
                                                : "a device";
    return std::string("already there as ") + kind;
}

std::optional<std::uint64_t> FreeSpace(const std::string& folder) {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

std::string Printable(const std::string& bytes) {
    std::string text;
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            text += escaped;
        }
    }
    return text;
}

IncomingFile::~IncomingFile() {
    Discard();
}

bool IncomingFile::Create(const std::string& folder, std::string& error) {
    Discard();
    std::string pattern = folder + "/" + kTemporaryPrefix + "XXXXXX";
    std::vector<char> path(pattern.begin(), pattern.end());
    path.push_back('\0');
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) {
        error = Describe("cannot create a file in the folder", errno);
        return false;
    }
    // Held until the file is closed: a receiver starting meanwhile leaves it alone.
    ::flock(fd, LOCK_EX | LOCK_NB);
    m_fd = fd;
    m_folder = folder;
    m_temporary = path.data();
    return true;
}

bool IncomingFile::Write(const std::uint8_t* data, std::size_t size, std::string& error) {
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            error = Describe("cannot write the file", written < 0 ? errno : ENOSPC);
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool IncomingFile::SameAsLayoutThere(const std::string& target) const {
    // As the panel's own stores: the layout it replaces is kept as the newest of the backups,
    // and a layout that is there already replaces nothing. Without a layout there, or one that
    // cannot be read, the new layout is stored all the same.
    std::string current;
    std::string received;
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0 || !ReadWholeFile(target, current) ||
        !ReadWholeFile(m_temporary, received)) {
        return false;
    }
    if (current == received) {
        return true;
    }
    LayoutBackups(target).Keep(current, info.st_mode & 07777, nullptr);
    return false;
}

bool IncomingFile::Commit(const std::string& name, std::string& error) {
    // mkstemp makes the file private; a received file gets the permissions of any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(m_fd, 0666 & ~mask) != 0 || ::fsync(m_fd) != 0) {
        error = Describe("cannot write the file", errno);
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        error = Describe("cannot write the file", errno);
        return false;
    }
    const std::string target = m_folder + "/" + name;
    if (name == kLayoutFileName && SameAsLayoutThere(target)) {
        Discard();
        return true;
    }
    if (::rename(m_temporary.c_str(), target.c_str()) != 0) {
        error = Describe("cannot store the file", errno);
        return false;
    }
    m_temporary.clear();
    // The new name must survive a power loss as well as the contents.
    const int folder = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void IncomingFile::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

std::vector<std::string> IncomingFile::RemoveStale(const std::string& folder) {
    std::vector<std::string> removed;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return removed;
    }
    const std::string prefix = kTemporaryPrefix;
    // mkostemp puts six characters after the prefix.
    const std::size_t length = prefix.size() + 6;
    std::vector<std::string> candidates;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() == length && name.compare(0, prefix.size(), prefix) == 0) {
            candidates.push_back(name);
        }
    }
    for (const std::string& name : candidates) {
        const int fd =
            ::openat(::dirfd(dir), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat info {};
        if (fd < 0) {
            continue;
        }
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlinkat(::dirfd(dir), name.c_str(), 0) == 0) {
            removed.push_back(name);
        }
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}
