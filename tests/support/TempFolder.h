#pragma once

#include <map>
#include <string>
#include <vector>

/// The whole of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

/// The names in a folder, sorted; none when it cannot be read.
std::vector<std::string> NamesIn(const std::string& folder);

/// Every name in a folder with the bytes of its file (empty for what is no readable file): two
/// looks compare equal when the folder holds the same files byte for byte.
std::map<std::string, std::string> FilesIn(const std::string& folder);

/// A fresh folder of the test's own under the temporary folder, removed with all it holds when
/// it goes (read-only or not).
class TempFolder {
  public:
    /// The folder's name starts with `prefix`; a run that cannot make one ends at once.
    explicit TempFolder(const std::string& prefix = "tvx");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    /// The folder as the layout stores it (Form.LayoutDirectory).
    std::wstring WidePath() const;
    /// The path of `name` in the folder.
    std::string At(const std::string& name) const { return m_path + "/" + name; }

    /// Writes a file of the folder, replacing what was there.
    void Write(const std::string& name, const std::string& bytes) const;
    /// A file of the folder; empty when it cannot be read.
    std::string Read(const std::string& name) const;
    /// The names in the folder, sorted.
    std::vector<std::string> Names() const { return NamesIn(m_path); }

  private:
    std::string m_path;
};
