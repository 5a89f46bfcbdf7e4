#pragma once

#include <array>
#include <string>

#include "model/Layout.h"

/// Bounds of the panel size the main settings store. Below the smallest the page has no room;
/// above the largest the layout file cannot carry the value (four digits) and the page bitmap
/// would exhaust memory.
constexpr int kSmallestPanelSide = 200;
constexpr int kLargestPanelSide = 9999;
/// The start page is stored counted from 0 and limited to the pages the number keys reach.
constexpr int kLastStartPage = 9;
/// The display timings are minutes, the brightness values one byte.
constexpr int kLongestDisplayMinutes = 180;
constexpr int kBrightest = 255;

/// What the main settings dialog shows and reads back: the number fields as typed, the three
/// check boxes and the password. The folder is only shown.
struct SettingsFields {
    std::wstring sizeX;
    std::wstring sizeY;
    std::wstring gridX;
    std::wstring gridY;
    std::wstring startPage;  ///< counted from 1
    bool lanModus = false;
    bool busModus = false;
    bool fullscreen = false;
    std::array<std::wstring, 4> destinationIp;
    std::wstring displayBright;
    std::wstring displayBrightDim;
    std::wstring displayOffDim;
    std::wstring displayOff;
    std::wstring password;
    std::wstring path;
};

/// The fields for the settings held now: numbers in decimal, the start page counted from 1.
SettingsFields SettingsFieldsOf(const FormSettings& form);

/// Reads the fields back as "OK" does: numbers read like the C library's wide-string-to-integer
/// conversion, then bounded (sizes 200 ... 9999, start page 0 ... 9, display off at most 180
/// and its dim time at most that, brightness at most 255; grid and address unbounded). "BUS
/// Modus" wins when both modes are ticked. The folder is never read.
void StoreSettingsFields(const SettingsFields& fields, FormSettings& form);
