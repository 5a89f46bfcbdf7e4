#pragma once

#include <string>

/// Why the file received as `name` (a name CheckWireName took) and written to `path` must not
/// be stored under that name: a layout file the panel cannot use (read whole by the panel's
/// reader, it does not end with its "EndOfFile" line, or it is too large), or a picture whose
/// header the panel's picture reader cannot read or that ends before the picture does. Empty when
/// it may replace the file of that name: the folder then never holds a layout or picture the panel
/// would refuse.
std::string CheckContents(const std::string& name, const std::string& path);
