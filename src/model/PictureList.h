#pragma once

#include <string>
#include <vector>

#include "model/Layout.h"

/// The files "Store && Transmit Picture" sends, in sending order: first the background picture
/// of every page 0 ... LastPage that has one, in page order and once per page (a picture two
/// pages share goes twice); then every distinct button picture (off, pressed, on of each button
/// in use) whose name is longer than 4 characters, in the order first met. Names are compared
/// exactly, so names that differ only in letter case are both listed. The list has no fixed
/// capacity. Page and button counts outside the tables are limited to them.
std::vector<std::wstring> PictureList(const Layout& layout);
