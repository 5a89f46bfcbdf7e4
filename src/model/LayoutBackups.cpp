#include "model/LayoutBackups.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "model/WholeFile.h"

namespace {

/// What one place of the versions holds, as far as a store is concerned.
enum class Place { Free, Same, Other, NoFile };

Place Look(const std::string& path, const std::string& replaced) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return Place::Free;
    }
    if (!S_ISREG(info.st_mode)) {
        return Place::NoFile;
    }
    // Only a file of the same length can hold the same bytes: most places are never read.
    if (static_cast<std::size_t>(info.st_size) != replaced.size()) {
        return Place::Other;
    }
    std::string bytes;
    return ReadWholeFile(path, bytes) && bytes == replaced ? Place::Same : Place::Other;
}

}  // namespace

std::string LayoutBackups::PathOf(int generation) const {
    std::string path = m_target + ".bak";
    if (generation > 0) {
        path += "." + std::to_string(generation);
    }
    return path;
}

bool LayoutBackups::Keep(const std::string& replaced, unsigned permissions,
                         std::string* error) const {
    // The place given up: the first free one or the one that holds these bytes already, else
    // the oldest.
    int given = kKept - 1;
    for (int place = 0; place < kKept; ++place) {
        const Place found = Look(PathOf(place), replaced);
        if (found == Place::NoFile) {
            if (error != nullptr) {
                *error = "cannot replace " + PathOf(place) + ": it is not a file";
            }
            return false;
        }
        if (found == Place::Same && place == 0) {
            return true;  // the newest version is these bytes already
        }
        if (found != Place::Other) {
            given = place;
            break;
        }
    }
    // Oldest first, so that every rename moves a version onto the place just given up: a cut at
    // any moment leaves each name a whole version or free.
    for (int place = given; place > 0; --place) {
        if (::rename(PathOf(place - 1).c_str(), PathOf(place).c_str()) != 0 && errno != ENOENT) {
            if (error != nullptr) {
                *error = "cannot move " + PathOf(place - 1) + " to " + PathOf(place) + ": " +
                         std::strerror(errno);
            }
            return false;
        }
    }
    return WriteWholeFile(PathOf(0), replaced, permissions, error);
}
