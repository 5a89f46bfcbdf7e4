// The picture header reader against any bytes as the start of a picture file. A size it gives is
// above 0 and told by the header alone: every longer file that starts the same gives it again,
// and a shorter start gives it or nothing. The file reader, which reads in steps, agrees with
// the reading of the whole bytes. Bytes that hold a whole picture have its header, and the
// whole file's reading agrees.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "model/PictureHeader.h"

namespace {

[[noreturn]] void Fault(const char* what) {
    std::fprintf(stderr, "fuzz-pictures: %s\n", what);
    std::abort();
}

bool Same(const std::optional<PictureHeader>& a, const std::optional<PictureHeader>& b) {
    if (a.has_value() != b.has_value()) {
        return false;
    }
    return !a || (a->type == b->type && a->width == b->width && a->height == b->height);
}

/// The path of a temporary file that holds `bytes`. A real file, not a link to one (such as
/// /proc/self/fd/N): the readers do not follow links.
const std::string& InAFile(std::string_view bytes) {
    static std::string path = "/tmp/fuzz-pictures-XXXXXX";
    static const int fd = [] {
        const int made = ::mkstemp(path.data());
        std::atexit([] { ::unlink(path.c_str()); });
        return made;
    }();
    if (fd < 0 || ::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        Fault("cannot write the temporary file");
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<PictureHeader> whole = PictureHeaderOf(bytes);
    if (whole && (whole->width <= 0 || whole->height <= 0)) {
        Fault("a size that is not above 0");
    }
    const std::optional<PictureHeader> longer = PictureHeaderOf(std::string(bytes) + "\xFF\xD9");
    if (whole && !Same(whole, longer)) {
        Fault("bytes after the header change the size");
    }
    const std::optional<PictureHeader> half = PictureHeaderOf(bytes.substr(0, size / 2));
    if (half && !Same(half, whole)) {
        Fault("the start of the bytes gives another size than all of them");
    }
    if (!Same(ReadPictureHeader(InAFile(bytes)), whole)) {
        Fault("the file reader and the reading of the bytes differ");
    }
    const bool all = PictureIsWhole(bytes);
    if (all && !whole) {
        Fault("a whole picture without a header");
    }
    if (!Same(ReadWholePicture(InAFile(bytes)), all ? whole : std::nullopt)) {
        Fault("the whole file's reading and the bytes' differ");
    }
    return 0;
}
