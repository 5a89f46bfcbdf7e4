#include "TempFolder.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "model/Paths.h"

namespace fs = std::filesystem;

std::map<std::string, std::string> FilesIn(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const std::string& name : NamesIn(folder)) {
        std::error_code ignored;
        const std::string path = folder + "/" + name;
        files[name] = fs::is_regular_file(path, ignored) ? ReadFile(path) : std::string();
    }
    return files;
}

TempFolder::TempFolder(const std::string& prefix)
    : m_path(testing::TempDir() + prefix + "-XXXXXX") {
    if (::mkdtemp(m_path.data()) == nullptr) {
        std::perror(("cannot make a test folder " + m_path).c_str());
        std::abort();
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // A test may have taken away the right to change the folder or those in it.
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto it = fs::recursive_directory_iterator(m_path, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(m_path, ignored);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (auto it = fs::directory_iterator(folder, ignored); it != fs::directory_iterator();
         it.increment(ignored)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring TempFolder::WidePath() const {
    return TextFromNative(m_path);
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(At(name), std::ios::binary | std::ios::trunc) << bytes;
}

std::string TempFolder::Read(const std::string& name) const {
    return ReadFile(At(name));
}
