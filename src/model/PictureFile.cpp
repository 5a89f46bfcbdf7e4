#include "model/PictureFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "model/Paths.h"

FoundPicture FindPicture(const std::wstring& folder, const std::wstring& name) {
    const std::wstring chosen = name.size() < 5 ? std::wstring(kDefaultPicture) : name;
    FoundPicture found{PathInFolder(folder, chosen), {}};
    if (!FileExists(found.path)) {
        found.missing = found.path;
        found.path = PathInFolder(folder, kDefaultPicture);
    }
    return found;
}

PictureFile::~PictureFile() {
    Close();
}

bool PictureFile::Open(const std::string& path) {
    Close();
    // Without O_NONBLOCK a pipe in the picture's place would hang the panel in open().
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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

PictureFile& GetPictureFile() {
    static PictureFile file;
    return file;
}
