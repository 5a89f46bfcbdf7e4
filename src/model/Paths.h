#pragma once

#include <cstdint>
#include <optional>
#include <string>

/// Text (Unicode) to a native file-system name: UTF-8 on this platform. A character that stands
/// for a byte of a name that is not UTF-8 (see TextFromNative) becomes that byte again.
std::string NativeName(const std::wstring& text);
/// Native file-system name to text. A name need not be UTF-8: each byte that does not belong to
/// a well-formed UTF-8 character becomes the private-use character U+100000 + byte, as the
/// toolkit's file choosers give it, so that NativeName gives the very same bytes back.
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
