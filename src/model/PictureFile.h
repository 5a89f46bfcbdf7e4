#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

/// The pictures every layout folder holds: the main menu's, and the default button picture that
/// stands in for a button picture that is missing or cannot be sent.
constexpr wchar_t kMenuPicture[] = L"TvxMenu.png";
constexpr wchar_t kDefaultPicture[] = L"defaultButton.png";

/// Where a file of the layout folder is found for sending.
struct FoundPicture {
    /// What to open (native path, every link resolved): the file, or the default button picture
    /// in its place; empty when not even that is there.
    std::string path;
    /// The file's own path when it is not there; empty when found.
    std::string missing;
};

/// Looks up a file of the layout folder `folder` for sending. A name under 5 characters means
/// the default button picture; for a file that is not there, the default button picture is
/// found instead. Only regular files inside the folder are there: a link that leads out of it
/// (or to no file) counts as missing, as a name with a path does. The layout file itself is
/// the one the panel loads and stores, so its link may lead anywhere.
FoundPicture FindPicture(const std::wstring& folder, const std::wstring& name);

/// The one file a transfer reads from: opened for each file sent and read by the transfer. Opening
/// it again first lets go of what it held, so one sending after another never leaks a descriptor or
/// reads the bytes of an earlier file.
class PictureFile {
  public:
    PictureFile() = default;
    ~PictureFile();
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    /// Opens a regular file for reading (native path, not a link). Never blocks, not even on a
    /// pipe put in the picture's place. False when it cannot be opened; the file is then closed.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    /// The path of the open file, empty while closed.
    const std::string& Path() const { return m_path; }

    /// The current length of the open file; nothing while closed or when it cannot be told.
    std::optional<std::uint64_t> Length() const;
    /// Reads exactly `count` bytes from where the last read stopped. False on a read error or
    /// when the file ends first: what was read then must not be used.
    bool Read(std::uint8_t* data, std::size_t count);

  private:
    int m_fd = -1;
    std::string m_path;
};
