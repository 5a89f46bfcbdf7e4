#include "Backlight.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "DisplaySettings.h"

namespace {

/// The whole number a file of the backlight holds ("937\n"); false with `why` set when it
/// cannot be read or holds none.
bool ReadNumber(const std::string& path, long long& value, std::string& why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    char text[32] = {};
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    const int readError = errno;
    ::close(fd);
    if (got < 0) {
        why = "cannot read " + path + ": " + std::strerror(readError);
        return false;
    }
    const std::string content(text, static_cast<std::size_t>(got));
    const std::size_t digits = content.find_first_not_of("0123456789");
    const std::size_t end = digits == std::string::npos ? content.size() : digits;
    if (end == 0 || end > 15 || content.find_first_not_of(" \t\r\n", end) != std::string::npos) {
        why = path + " holds no number";
        return false;
    }
    value = std::stoll(content.substr(0, end));
    return true;
}

}  // namespace

Backlight::Backlight(std::string folder, long long maximum)
    : m_folder(std::move(folder)), m_maximum(maximum) {}

std::unique_ptr<Backlight> Backlight::Open(const std::string& folder, std::string& why) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        why = "no backlight folder " + folder;
        return nullptr;
    }
    long long maximum = 0;
    if (!ReadNumber(folder + "/max_brightness", maximum, why)) {
        return nullptr;
    }
    if (maximum <= 0) {
        why = folder + "/max_brightness is 0";
        return nullptr;
    }
    // Opened for writing and closed again: no value is written until a state wants one.
    const std::string path = folder + "/brightness";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        why = "cannot write " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    ::close(fd);
    return std::unique_ptr<Backlight>(new Backlight(folder, maximum));
}

std::unique_ptr<Backlight> Backlight::FindIn(const std::string& classFolder, std::string& why) {
    std::error_code error;
    std::vector<std::string> names;
    for (std::filesystem::directory_iterator entry(classFolder, error), end; !error && entry != end;
         entry.increment(error)) {
        names.push_back(entry->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string reasons;
    for (const std::string& name : names) {
        std::string reason;
        if (auto backlight = Open(classFolder + "/" + name, reason)) {
            return backlight;
        }
        reasons += (reasons.empty() ? " (" : "; ") + reason;
    }
    why = "none usable in " + classFolder + (reasons.empty() ? "" : reasons + ")");
    return nullptr;
}

long long Backlight::Scale(int level, long long maximum) {
    if (level <= 0) {
        return 0;
    }
    const long long top = DisplaySettings::kBrightest;
    if (level >= top) {
        return maximum;
    }
    return std::max(1LL, (level * maximum + top / 2) / top);
}

std::string Backlight::Name() const {
    return "backlight " + m_folder + " (max_brightness " + std::to_string(m_maximum) + ")";
}

std::string Backlight::Save() {
    std::string why;
    return ReadNumber(m_folder + "/brightness", m_saved, why) ? std::string() : why;
}

std::string Backlight::Set(int level) {
    return Write(Scale(level, m_maximum));
}

std::string Backlight::Restore() {
    return Write(m_saved);
}

std::string Backlight::Write(long long value) {
    const std::string path = m_folder + "/brightness";
    const std::string text = std::to_string(value) + "\n";
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        return "cannot write " + path + ": " + std::strerror(errno);
    }
    const ssize_t written = ::write(fd, text.data(), text.size());
    int failure = written < 0 ? errno : (written != static_cast<ssize_t>(text.size()) ? EIO : 0);
    if (::close(fd) != 0 && failure == 0) {
        failure = errno;
    }
    return failure == 0 ? std::string() : "cannot write " + path + ": " + std::strerror(failure);
}
