#pragma once

#include <cstdint>
#include <optional>
#include <string>

/// Text (Unicode) to a native file-system name: UTF-8 on this platform.
std::string NativeName(const std::wstring& text);
/// Native file-system name back to text.
std::wstring TextFromNative(const std::string& name);
/// Whether a name from the layout names a file of the layout folder itself: not empty, no path
/// separator, not "." or "..". Anything else must never reach a file outside the folder.
bool IsBareFileName(const std::wstring& name);
/// `directory` + the platform's separator + a bare file name, as a native path; an empty path
/// (which names no file) for a name that is not bare.
std::string PathInFolder(const std::wstring& directory, const std::wstring& name);
/// Whether a regular file exists at the path.
bool FileExists(const std::string& path);
/// The length of the regular file at the path; nothing when there is none.
std::optional<std::uint64_t> RegularFileSize(const std::string& path);
