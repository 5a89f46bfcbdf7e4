#include "model/PictureImport.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "model/PictureHeader.h"
#include "model/WholeFile.h"

namespace {

ImportOutcome Fail(std::string* reason, const std::string& why) {
    if (reason != nullptr) {
        *reason = why;
    }
    return ImportOutcome::Failed;
}

std::string BareName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ImportOutcome ImportPicture(const std::string& source, const std::string& folder, bool replace,
                            std::string* reason) {
    const std::string name = BareName(source);
    const std::string target = folder + "/" + name;
    struct stat chosen {};
    if (name.empty() || ::stat(source.c_str(), &chosen) != 0) {
        return Fail(reason, "cannot read " + source + ": " + std::strerror(errno));
    }
    // The folder's own file, chosen there or through a link to it.
    struct stat there {};
    if (::stat(target.c_str(), &there) == 0 && there.st_dev == chosen.st_dev &&
        there.st_ino == chosen.st_ino) {
        return ImportOutcome::InFolder;
    }
    if (!S_ISREG(chosen.st_mode)) {
        return Fail(reason, source + " is not a file");
    }
    if (static_cast<long long>(chosen.st_size) > kMostPictureFileBytes) {
        return Fail(reason, source + " is larger than a picture file can be (64 MiB)");
    }
    std::string bytes;
    if (!ReadWholeFile(source, bytes)) {
        return Fail(reason, "cannot read " + source + ": " + std::strerror(errno));
    }
    if (!PictureHeaderOf(bytes)) {
        return Fail(reason, source + " is no picture the panel can show (PNG, JPEG or BMP)");
    }
    if (::lstat(target.c_str(), &there) == 0) {
        if (!S_ISREG(there.st_mode)) {
            return Fail(reason, target + " is there already, and it is not a file");
        }
        std::string theirs;
        if (ReadWholeFile(target, theirs) && theirs == bytes) {
            return ImportOutcome::InFolder;
        }
        if (!replace) {
            return ImportOutcome::NameTaken;
        }
    } else if (errno != ENOENT) {
        return Fail(reason, "cannot look at " + target + ": " + std::strerror(errno));
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (!WriteWholeFile(target, bytes, 0666 & ~mask, reason)) {
        return ImportOutcome::Failed;
    }
    // The picture is in place; one lost to a power cut before the folder is synced shows as a
    // missing picture, which the layout's next store does not make worse.
    SyncFolder(folder);
    return ImportOutcome::Copied;
}
