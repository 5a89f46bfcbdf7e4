#include "model/File.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>
#include <vector>

#include "model/NumberReading.h"
#include "model/Paths.h"
#include "model/PictureFile.h"
#include "model/Prompter.h"

namespace {

/// Our temporary files: the prefix, then the six characters mkstemp fills in.
constexpr std::string_view kTemporaryPrefix = ".tvxdef.ini.";
constexpr std::size_t kTemporaryRandomChars = 6;

// ---------------------------------------------------------------------------------------------
// Writing

void AppendFormattedList(std::string& out, const char* format, va_list args) {
    char buffer[160];
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (length > 0) {
        out.append(buffer, std::min(static_cast<std::size_t>(length), sizeof buffer - 1));
    }
}

void AppendFormatted(std::string& out, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

void AppendFormatted(std::string& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormattedList(out, format, args);
    va_end(args);
}

/// One byte per character; a character the file's ISO-8859-1 cannot hold becomes '?'.
void AppendLatin1(std::string& out, const std::wstring& text) {
    for (wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        out += code <= 0xFF ? static_cast<char>(code) : '?';
    }
}

/// A text line: the formatted key and numbers, the text, the line end.
void AppendTextLine(std::string& out, const std::wstring& text, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

void AppendTextLine(std::string& out, const std::wstring& text, const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormattedList(out, format, args);
    va_end(args);
    AppendLatin1(out, text);
    out += "\r\n";
}

/// The scale factor goes to the file in hundredths, truncated toward zero. A value that is
/// a whole number of hundredths but not exactly representable (0.29 * 100 = 28.999...) must
/// still give that number, so that what was read writes back unchanged.
int ScalefactorHundredths(double factor) {
    if (std::isnan(factor)) {
        return 0;
    }
    const double hundredths = factor * 100.0;
    const double nearest = std::round(hundredths);
    const double kept = std::fabs(hundredths - nearest) < 1e-7 ? nearest : std::trunc(hundredths);
    if (kept >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (kept <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(kept);
}

// ---------------------------------------------------------------------------------------------
// Reading

std::wstring FromLatin1(std::string_view bytes) {
    std::wstring text(bytes.size(), L'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
    }
    return text;
}

/// The value fields of one line, cut at offsets counted from the character after the key.
/// The line still ends with its CR.
class Fields {
  public:
    Fields(std::string_view line, std::size_t base) : m_line(line), m_base(base) {}

    /// A fixed-width field; shortened at the end of the line, empty when it starts past it.
    std::string_view Cut(std::size_t offset, std::size_t width) const {
        const std::size_t start = m_base + offset;
        return start >= m_line.size() ? std::string_view{} : m_line.substr(start, width);
    }
    int Number(std::size_t offset, std::size_t width) const {
        return ReadLatin1Int(Cut(offset, width));
    }
    Colour ColourField(std::size_t offset) const {
        return static_cast<Colour>(ReadLatin1Unsigned32(Cut(offset, 10)));
    }
    /// From the offset to the end of the line, without the final CR.
    std::wstring Rest(std::size_t offset) const {
        const std::size_t start = m_base + offset;
        const std::size_t end = m_line.size() - 1;
        return start >= end ? std::wstring{} : FromLatin1(m_line.substr(start, end - start));
    }

  private:
    std::string_view m_line;
    std::size_t m_base;
};

/// The page a page line names, or null when it names no slot of the tables.
PageRecord* PageOf(const Fields& f, Layout& layout) {
    const int page = f.Number(0, 3);
    return Layout::IsPageSlot(page) ? &layout.Page(page) : nullptr;
}

/// The button a button line names (page, then button), or null when either is outside.
ButtonRecord* ButtonOf(const Fields& f, Layout& layout) {
    const int page = f.Number(0, 3);
    const int button = f.Number(4, 3);
    if (!Layout::IsPageSlot(page) || !Layout::IsButtonSlot(button)) {
        return nullptr;
    }
    return &layout.Button(page, button);
}

void ReadAddress(const Fields& f, std::array<int, 4>& address) {
    for (std::size_t i = 0; i < 4; ++i) {
        address[i] = f.Number(4 * i, 3);
    }
}

/// Readers of the common field layouts, one instance per target field.
template <int FormSettings::*field>
void ReadFormNumber(const Fields& f, Layout& layout) {
    layout.Form.*field = f.Number(0, 3);
}

template <std::wstring PageRecord::*field>
void ReadPageText(const Fields& f, Layout& layout) {
    if (PageRecord* page = PageOf(f, layout)) {
        page->*field = f.Rest(4);
    }
}

template <int ButtonRecord::*field>
void ReadButtonNumber(const Fields& f, Layout& layout) {
    if (ButtonRecord* button = ButtonOf(f, layout)) {
        button->*field = f.Number(8, 3);
    }
}

template <std::wstring ButtonRecord::*field>
void ReadButtonText(const Fields& f, Layout& layout) {
    if (ButtonRecord* button = ButtonOf(f, layout)) {
        button->*field = f.Rest(8);
    }
}

template <std::wstring ButtonRecord::*field>
void ReadButtonEscapedText(const Fields& f, Layout& layout) {
    if (ButtonRecord* button = ButtonOf(f, layout)) {
        button->*field = File::UnescapeText(f.Rest(8));
    }
}

void ReadButtonLast(const Fields& f, Layout& layout) {
    // A page has no more buttons than slots, and no fewer than none.
    if (PageRecord* page = PageOf(f, layout)) {
        page->Button_Last = std::clamp(f.Number(4, 3), 0, kButtonSlots);
    }
}

void ReadBackColours(const Fields& f, Layout& layout) {
    if (PageRecord* page = PageOf(f, layout)) {
        page->BackColor1 = f.ColourField(4);
        page->BackColor2 = f.ColourField(15);
    }
}

void ReadPosition(const Fields& f, Layout& layout) {
    if (ButtonRecord* button = ButtonOf(f, layout)) {
        button->PosX = f.Number(8, 4);
        button->PosY = f.Number(13, 4);
    }
}

void ReadFontColour(const Fields& f, Layout& layout) {
    if (ButtonRecord* button = ButtonOf(f, layout)) {
        button->Font_Color = f.ColourField(8);
    }
}

struct Key {
    std::string_view text;
    void (*apply)(const Fields&, Layout&);
};

using B = ButtonRecord;
using F = FormSettings;

/// The keys in the order the reader tests them; every key is tried on every line.
const Key kKeys[] = {
    {"Form_Password:", [](const Fields& f, Layout& l) { l.Form.Form_Password = f.Rest(0); }},
    {"Destination_IP:", [](const Fields& f, Layout& l) { ReadAddress(f, l.Form.Destination_IP); }},
    {"Transmit_IP:", [](const Fields& f, Layout& l) { ReadAddress(f, l.Form.Transmit_IP); }},
    {"Form_GridX_GridY:",
     [](const Fields& f, Layout& l) {
         l.Form.GridX = f.Number(0, 3);
         l.Form.GridY = f.Number(4, 3);
     }},
    {"Form_SizeX_SizeY:",
     [](const Fields& f, Layout& l) {
         l.Form.SizeX = f.Number(0, 4);
         l.Form.SizeY = f.Number(5, 4);
     }},
    {"Form_PageStart:", ReadFormNumber<&F::Form_PageStart>},
    {"Form_Scalefactor:",
     [](const Fields& f, Layout& l) { l.Form.Form_Scalefactor = f.Number(0, 4) / 100.0; }},
    {"Form_FullScreen:", ReadFormNumber<&F::Form_FullScreen>},
    {"Form_ConnectModus:", ReadFormNumber<&F::Form_ConnectModus>},
    {"Display_Off:", ReadFormNumber<&F::Display_Off>},
    {"Display_Off_Dim:", ReadFormNumber<&F::Display_Off_Dim>},
    {"Display_Bright:", ReadFormNumber<&F::Display_Bright>},
    {"Display_Bright_Dim:", ReadFormNumber<&F::Display_Bright_Dim>},
    {"Page_Button_Last:", ReadButtonLast},
    {"Page_PageName:", ReadPageText<&PageRecord::PageName>},
    {"Page_PageImage:", ReadPageText<&PageRecord::PageImage>},
    {"Page_BackColor1_BackColor2:", ReadBackColours},
    {"Page_Button_PosX_PosY:", ReadPosition},
    {"Page_Button_Text_On:", ReadButtonEscapedText<&B::Text_On>},
    {"Page_Button_Text_Off:", ReadButtonEscapedText<&B::Text_Off>},
    {"Page_Button_Font_Style:", ReadButtonNumber<&B::Font_Style>},
    {"Page_Button_Font_HorizAlign:", ReadButtonNumber<&B::Font_HorizAlign>},
    {"Page_Button_Font_Size:", ReadButtonNumber<&B::Font_Size>},
    {"Page_Button_Font_Family:", ReadButtonText<&B::Font_Family>},
    {"Page_Button_Font_Color:", ReadFontColour},
    {"Page_Button_Led:", ReadButtonNumber<&B::Led>},
    {"Page_Button_Taster:", ReadButtonNumber<&B::Taster>},
    {"Page_Button_Image_File_Off:", ReadButtonText<&B::Image_File_Off>},
    {"Page_Button_Image_File_Press:", ReadButtonText<&B::Image_File_Press>},
    {"Page_Button_Image_File_On:", ReadButtonText<&B::Image_File_On>},
    {"Page_Button_Pageflip:", ReadButtonNumber<&B::Pageflip>},
    {"Page_Button_Inaktiv:", ReadButtonNumber<&B::Inaktiv>},
};

constexpr std::size_t kKeyCount = std::size(kKeys);

/// For each key, where its value fields start after its first occurrence in the line, or npos.
using KeyPositions = std::array<std::size_t, kKeyCount>;

/// Finds the first occurrence of every key. Every key ends with its colon, so a key can only
/// end at a colon of the line: trying the keys at the colons from left to right gives the same
/// first occurrences as searching the whole line for each key, in a fraction of the time.
KeyPositions FindKeys(std::string_view line) {
    KeyPositions found;
    found.fill(std::string_view::npos);
    std::size_t missing = kKeyCount;
    for (std::size_t colon = line.find(':'); colon != std::string_view::npos && missing > 0;
         colon = line.find(':', colon + 1)) {
        const std::size_t after = colon + 1;
        for (std::size_t k = 0; k < kKeyCount; ++k) {
            const std::string_view key = kKeys[k].text;
            if (found[k] == std::string_view::npos && key.size() <= after &&
                line[colon - 1] == key[key.size() - 2] &&
                line.compare(after - key.size(), key.size(), key) == 0) {
                found[k] = after;
                --missing;
            }
        }
    }
    return found;
}

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

/// Writes every byte, going on after short writes and interruptions. Sets errno on failure.
bool WriteAll(int fd, const std::string& bytes) {
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

/// The temporary file of one store: closed and removed on every way out unless it was
/// renamed into place.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& folder)
        : m_path(folder + (folder.back() == '/' ? "" : "/") + std::string(kTemporaryPrefix) +
                 std::string(kTemporaryRandomChars, 'X')) {
        m_fd = ::mkostemp(m_path.data(), O_CLOEXEC);
    }
    ~TemporaryFile() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        if (!m_placed && m_fd != kNeverCreated) {
            ::unlink(m_path.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool Created() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }
    const std::string& Path() const { return m_path; }

    /// Closes the file. A close is never retried, whatever it reports.
    bool Close() {
        const int fd = m_fd;
        m_fd = kClosed;
        return ::close(fd) == 0;
    }
    void MarkPlaced() { m_placed = true; }

  private:
    static constexpr int kNeverCreated = -1;
    static constexpr int kClosed = -2;
    std::string m_path;
    int m_fd = kNeverCreated;
    bool m_placed = false;
};

bool IsOurTemporary(std::string_view name) {
    if (name.size() != kTemporaryPrefix.size() + kTemporaryRandomChars ||
        name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix) {
        return false;
    }
    const std::string_view random = name.substr(kTemporaryPrefix.size());
    return std::all_of(random.begin(), random.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
}

}  // namespace

std::string File::LayoutPath(const Layout& layout) {
    return PathInFolder(layout.Form.LayoutDirectory, kLayoutFileName);
}

FileStatus File::ReadLayoutBytes(const Layout& layout, long long largest, std::string& bytes,
                                 std::string* error) const {
    const std::string path = LayoutPath(layout);
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
    const FileStatus status = ReadLayoutBytes(layout, kMostLayoutBytes, bytes, error);
    if (status == FileStatus::Ok) {
        ParseLayout(bytes, layout);
    }
    return status;
}

FileStatus File::LoadCompleteLayout(Layout& layout, std::string* error) const {
    std::string bytes;
    const FileStatus status = ReadLayoutBytes(layout, kMostLayoutBytes, bytes, error);
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
        return Fail(error, "no \"EndOfFile\" line at the end of", LayoutPath(layout), 0);
    }
    ParseLayout(bytes, layout);
    return FileStatus::Ok;
}

bool File::ReadWholeFile(const std::string& path, std::string& bytes) const {
    // Not blocking: a pipe put in the file's place must not hang the start.
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

    const std::string bytes = FormatLayout(layout);
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
    std::string backupError;
    const bool backedUp = KeepBackup(target, old.st_mode & 07777, &backupError);
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

bool File::KeepBackup(const std::string& target, unsigned permissions, std::string* error) const {
    const std::string backup = target + kBackupSuffix;
    std::string bytes;
    errno = 0;
    if (!ReadWholeFile(target, bytes)) {
        Explain(error, "cannot read", target, errno);
        return false;
    }
    // Written whole beside it and renamed into place: the backup is always one complete
    // version, whatever happens during the store.
    TemporaryFile temporary(FolderOf(target));
    if (!temporary.Created()) {
        Explain(error, "cannot create a temporary file in", FolderOf(target), errno);
        return false;
    }
    if (!WriteAll(temporary.Descriptor(), bytes) ||
        ::fchmod(temporary.Descriptor(), permissions) != 0 ||
        ::fsync(temporary.Descriptor()) != 0) {
        Explain(error, "cannot write", temporary.Path(), errno);
        return false;
    }
    if (!temporary.Close()) {
        Explain(error, "cannot close", temporary.Path(), errno);
        return false;
    }
    if (::rename(temporary.Path().c_str(), backup.c_str()) != 0) {
        Explain(error, "cannot replace", backup, errno);
        return false;
    }
    temporary.MarkPlaced();
    return true;
}

bool File::SyncFolder(const std::string& folder) const {
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

void File::RemoveStaleTemporaries(const std::wstring& directory) {
    const std::string folder = directory.empty() ? std::string(".") : NativeName(directory);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsOurTemporary(entry->d_name)) {
            stale.emplace_back(entry->d_name);
        }
    }
    for (const std::string& name : stale) {
        ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

std::wstring File::PictureFilePath(const Layout& layout, const std::wstring& name) {
    const std::wstring& folder = layout.Form.LayoutDirectory;
    const std::wstring chosen = name.size() < 5 ? std::wstring(kDefaultPicture) : name;
    const std::string path = PathInFolder(folder, chosen);
    return TextFromNative(FileExists(path) ? path : PathInFolder(folder, kDefaultPicture));
}

void File::OpenPictureFile(const Layout& layout, std::wstring& name) const {
    const std::wstring& folder = layout.Form.LayoutDirectory;
    if (name.size() < 5) {
        name = kDefaultPicture;
    }
    std::string path = PathInFolder(folder, name);
    if (!FileExists(path)) {
        GetPrompter().ShowMessage(L"Datei nicht vorhanden:\n" + TextFromNative(path));
        path = PathInFolder(folder, kDefaultPicture);
    }
    name = TextFromNative(path);
    // A failed open leaves the file closed: the transfer then sends nothing it has not read.
    GetPictureFile().Open(path);
}

std::wstring File::EscapeText(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t c : text) {
        if (c == L'\r') {
            escaped += L"\\d";
        } else if (c == L'\n') {
            escaped += L"\\a";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::wstring File::UnescapeText(const std::wstring& text) {
    // A replaced pair becomes a CR or LF, which never starts another pair, so one pass over
    // the positions with "\d" tried before "\a" gives the same as replacing in place.
    std::wstring plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'd') {
            plain += L'\r';
            ++i;
        } else if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'a') {
            plain += L'\n';
            ++i;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

std::string File::FormatLayout(const Layout& layout) {
    const FormSettings& form = layout.Form;
    std::string out;
    out.reserve(1u << 20);

    out += "Tolvamix :-)\r\n";
    AppendTextLine(out, form.Form_Password, "Form_Password:");
    for (const auto& [key, ip] : {std::pair{"Destination_IP", &form.Destination_IP},
                                  std::pair{"Transmit_IP", &form.Transmit_IP}}) {
        AppendFormatted(out, "%s:%.3d %.3d %.3d %.3d\r\n", key, (*ip)[0], (*ip)[1], (*ip)[2],
                        (*ip)[3]);
    }
    AppendFormatted(out, "Form_GridX_GridY:%.3d %.3d\r\n", form.GridX, form.GridY);
    AppendFormatted(out, "Form_SizeX_SizeY:%.4d %.4d\r\n", form.SizeX, form.SizeY);
    AppendFormatted(out, "Form_PageStart:%.3d\r\n", form.Form_PageStart);
    AppendFormatted(out, "Form_Scalefactor:%.4d\r\n", ScalefactorHundredths(form.Form_Scalefactor));
    AppendFormatted(out, "Form_FullScreen:%.3d\r\n", form.Form_FullScreen);
    AppendFormatted(out, "Form_ConnectModus:%.3d\r\n", form.Form_ConnectModus);
    AppendFormatted(out, "Form_Orientation:%.3d\r\n", form.Form_Orientation);
    AppendFormatted(out, "Display_Off:%.3d\r\n", form.Display_Off);
    AppendFormatted(out, "Display_Off_Dim:%.3d\r\n", form.Display_Off_Dim);
    AppendFormatted(out, "Display_Bright:%.3d\r\n", form.Display_Bright);
    AppendFormatted(out, "Display_Bright_Dim:%.3d\r\n", form.Display_Bright_Dim);

    const int last_page = std::min(layout.LastPage, kPageSlots - 1);
    for (int p = 0; p <= last_page; ++p) {
        const PageRecord& page = layout.Page(p);
        const int buttons = std::clamp(page.Button_Last, 0, kButtonSlots);
        AppendFormatted(
            out, "Page:%.3d ---------------------------------------------------------------\r\n",
            p);
        AppendFormatted(out, "Page_Button_Last:%.3d %.3d\r\n", p, page.Button_Last);
        AppendTextLine(out, page.PageName, "Page_PageName:%.3d ", p);
        AppendTextLine(out, page.PageImage, "Page_PageImage:%.3d ", p);
        AppendFormatted(out, "Page_BackColor1_BackColor2:%.3d %.10u %.10u\r\n", p,
                        static_cast<unsigned>(page.BackColor1),
                        static_cast<unsigned>(page.BackColor2));

        for (int b = 0; b < buttons; ++b) {
            const ButtonRecord& button = layout.Button(p, b);
            AppendFormatted(out, "Button:%.3d --------------\r\n", b);
            AppendFormatted(out, "Page_Button_PosX_PosY:%.3d %.3d %.4d %.4d\r\n", p, b, button.PosX,
                            button.PosY);
            AppendTextLine(out, File::EscapeText(button.Text_On), "Page_Button_Text_On:%.3d %.3d ",
                           p, b);
            AppendTextLine(out, File::EscapeText(button.Text_Off),
                           "Page_Button_Text_Off:%.3d %.3d ", p, b);
            AppendFormatted(out, "Page_Button_Font_Style:%.3d %.3d %.3d\r\n", p, b,
                            button.Font_Style);
            AppendFormatted(out, "Page_Button_Font_HorizAlign:%.3d %.3d %.3d\r\n", p, b,
                            button.Font_HorizAlign);
            AppendFormatted(out, "Page_Button_Font_Size:%.3d %.3d %.3d\r\n", p, b,
                            button.Font_Size);
            AppendTextLine(out, button.Font_Family, "Page_Button_Font_Family:%.3d %.3d ", p, b);
            AppendFormatted(out, "Page_Button_Font_Color:%.3d %.3d %.10u\r\n", p, b,
                            static_cast<unsigned>(button.Font_Color));
            AppendFormatted(out, "Page_Button_Led:%.3d %.3d %.3d\r\n", p, b, button.Led);
            AppendFormatted(out, "Page_Button_Taster:%.3d %.3d %.3d\r\n", p, b, button.Taster);
            AppendTextLine(out, button.Image_File_Off, "Page_Button_Image_File_Off:%.3d %.3d ", p,
                           b);
            AppendTextLine(out, button.Image_File_Press, "Page_Button_Image_File_Press:%.3d %.3d ",
                           p, b);
            AppendTextLine(out, button.Image_File_On, "Page_Button_Image_File_On:%.3d %.3d ", p, b);
            AppendFormatted(out, "Page_Button_Pageflip:%.3d %.3d %.3d\r\n", p, b, button.Pageflip);
            AppendFormatted(out, "Page_Button_Inaktiv:%.3d %.3d %.3d\r\n", p, b, button.Inaktiv);
        }
    }
    out += "EndOfFile\r\n";
    return out;
}

void File::ParseLayout(const std::string& bytes, Layout& layout) {
    // Lines as the reader sees them: zero bytes gone, each line up to and including its CR,
    // the byte after every CR dropped unseen, anything after the last CR no line at all.
    std::string text(bytes.size(), '\0');
    char* out = text.data();
    std::vector<std::size_t> line_ends;
    const char* from = bytes.data();
    const char* const end = from + bytes.size();
    while (from < end) {
        const auto* cr =
            static_cast<const char*>(std::memchr(from, '\r', static_cast<std::size_t>(end - from)));
        if (cr == nullptr) {
            break;
        }
        while (from <= cr) {
            const auto* zero = static_cast<const char*>(
                std::memchr(from, '\0', static_cast<std::size_t>(cr + 1 - from)));
            const char* stop = zero != nullptr ? zero : cr + 1;
            std::memcpy(out, from, static_cast<std::size_t>(stop - from));
            out += stop - from;
            from = stop + (zero != nullptr ? 1 : 0);
        }
        line_ends.push_back(static_cast<std::size_t>(out - text.data()));
        from = end - cr > 2 ? cr + 2 : end;
    }
    text.resize(static_cast<std::size_t>(out - text.data()));

    const std::string_view all(text);
    std::size_t start = 0;
    for (const std::size_t line_end : line_ends) {
        const std::string_view line = all.substr(start, line_end - start);
        start = line_end;
        const KeyPositions found = FindKeys(line);
        for (std::size_t k = 0; k < kKeyCount; ++k) {
            if (found[k] != std::string_view::npos) {
                kKeys[k].apply(Fields(line, found[k]), layout);
            }
        }
    }
}
