#include "model/Journal.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

Journal::Journal(Form plain)
    : m_form(IsJournalStream(std::getenv("JOURNAL_STREAM"), 2) || IsJournalSocket(2)
                 ? Form::Priority
                 : plain) {}

void Journal::Write(Level level, const std::string& text) const {
    const std::string lines = Format(m_form, level, text, std::time(nullptr));
    std::size_t done = 0;
    while (done < lines.size()) {
        const ssize_t written = ::write(m_fd, lines.data() + done, lines.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        // A stream that is gone or full takes nothing more: the program goes on without it.
        if (written <= 0) {
            return;
        }
        done += static_cast<std::size_t>(written);
    }
}

std::string Journal::Format(Form form, Level level, const std::string& text, std::time_t now) {
    std::string head;
    if (form == Form::Priority) {
        head = "<" + std::to_string(static_cast<int>(level)) + ">";
    } else if (form == Form::Stamped) {
        std::tm local{};
        localtime_r(&now, &local);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", &local);
        head = stamp;
    }
    std::string result;
    std::size_t start = 0;
    do {
        const std::size_t end = text.find('\n', start);
        result += head;
        for (std::size_t i = start; i < std::min(end, text.size()); ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            result += byte < 0x20 && byte != '\t' ? '?' : static_cast<char>(byte);
        }
        result += '\n';
        start = end == std::string::npos ? end : end + 1;
    } while (start != std::string::npos && start < text.size());
    return result;
}

bool Journal::IsJournalStream(const char* journalStream, int fd) {
    if (journalStream == nullptr) {
        return false;
    }
    unsigned long long device = 0;
    unsigned long long inode = 0;
    char rest = 0;
    if (std::sscanf(journalStream, "%llu:%llu%c", &device, &inode, &rest) != 2) {
        return false;
    }
    struct stat status {};
    return ::fstat(fd, &status) == 0 && static_cast<unsigned long long>(status.st_dev) == device &&
           static_cast<unsigned long long>(status.st_ino) == inode;
}

bool Journal::IsJournalSocket(int fd, const char* path) {
    sockaddr_un peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0 ||
        peer.sun_family != AF_UNIX || size <= offsetof(sockaddr_un, sun_path)) {
        return false;
    }
    const std::size_t length = size - offsetof(sockaddr_un, sun_path);
    return std::string(peer.sun_path, ::strnlen(peer.sun_path, length)) == path;
}
