#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// A wire name (one byte per character, ISO-8859-1) checked before anything is stored under it.
struct NameCheck {
    std::string name;     ///< the name for the file system (UTF-8) when it is good
    std::string problem;  ///< why it is refused; empty when it is good
};

/// Refuses what could leave the folder or hide in it: an empty or overlong name, a path
/// separator ('/' or '\'), "..", a leading dot, a control character.
NameCheck CheckWireName(const std::string& bytes);

/// Bytes for a line of output: printable ASCII as it is, everything else as \xNN.
std::string Printable(const std::string& bytes);

/// A file being received: written under a temporary name in the target folder, and put in
/// place under its own name only when it is complete. Whatever is not committed is removed.
class IncomingFile {
  public:
    IncomingFile() = default;
    ~IncomingFile();
    IncomingFile(const IncomingFile&) = delete;
    IncomingFile& operator=(const IncomingFile&) = delete;

    /// Creates the temporary file in `folder`. False with `error` set when it cannot.
    bool Create(const std::string& folder, std::string& error);
    bool Write(const std::uint8_t* data, std::size_t size, std::string& error);
    /// Syncs the file and renames it to `name` in the folder, replacing a file of that name.
    bool Commit(const std::string& name, std::string& error);
    /// Removes the temporary file.
    void Discard();

    /// Our temporary names start with this; a received name never does (no leading dot).
    static constexpr const char* kTemporaryPrefix = ".tvx-receive-";

  private:
    int m_fd = -1;
    std::string m_folder;
    std::string m_temporary;  ///< full path, empty when there is none
};
