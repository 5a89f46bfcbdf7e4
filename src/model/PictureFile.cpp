#include "model/PictureFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

#include "model/File.h"
#include "model/Paths.h"

namespace {

/// The path with every link resolved; nothing when it leads nowhere.
std::optional<std::string> RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (path.empty() || ::realpath(path.c_str(), resolved) == nullptr) {
        return std::nullopt;
    }
    return std::string(resolved);
}

/// Where the regular file at `path` really lies, when that is inside the folder (itself or a
/// folder below it): a link leading out of the folder is no file of it.
std::optional<std::string> FileOfFolder(const std::string& folder, const std::string& path) {
    const auto real = RealPath(path);
    const auto realFolder = RealPath(folder.empty() ? std::string(".") : folder);
    if (!real || !realFolder || !FileExists(*real)) {
        return std::nullopt;
    }
    const std::string prefix = realFolder->back() == '/' ? *realFolder : *realFolder + '/';
    if (real->compare(0, prefix.size(), prefix) != 0) {
        return std::nullopt;
    }
    return real;
}

}  // namespace

FoundPicture FindPicture(const std::wstring& folder, const std::wstring& name) {
    const std::wstring chosen = name.size() < 5 ? std::wstring(kDefaultPicture) : name;
    const std::string own = PathInFolder(folder, chosen);
    // The layout file is the one the panel loads and stores, wherever its link leads.
    if (chosen == File::kLayoutFileName && FileExists(own)) {
        return FoundPicture{RealPath(own).value_or(own), {}};
    }
    const std::string nativeFolder = NativeName(folder);
    if (const auto real = FileOfFolder(nativeFolder, own)) {
        return FoundPicture{*real, {}};
    }
    const auto fallback = FileOfFolder(nativeFolder, PathInFolder(folder, kDefaultPicture));
    return FoundPicture{fallback.value_or(std::string()), own};
}

PictureFile::~PictureFile() {
    Close();
}

bool PictureFile::Open(const std::string& path) {
    Close();
    // Without O_NONBLOCK a pipe in the picture's place would hang the panel in open(). The
    // path is the file's real one: a link put there since would lead anywhere.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

void PictureFile::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = -1;
    m_path.clear();
}

std::optional<std::uint64_t> PictureFile::Length() const {
    struct stat info {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || info.st_size < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

bool PictureFile::Read(std::uint8_t* data, std::size_t count) {
    if (m_fd < 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(m_fd, data + done, count - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}
