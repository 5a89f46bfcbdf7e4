#pragma once

#include <memory>
#include <string>

#include "Brightness.h"

/// A backlight of the kernel's backlight class: a folder with the files "brightness" (written to
/// set it) and "max_brightness". Levels 0 ... 255 are scaled to 0 ... max_brightness.
class Backlight : public Brightness {
  public:
    /// Where the kernel lists the backlights.
    static constexpr char kClassFolder[] = "/sys/class/backlight";

    /// The backlight in `folder`, or nothing with `why` set: no such folder, no max_brightness
    /// above 0, or a brightness that cannot be opened for writing.
    static std::unique_ptr<Backlight> Open(const std::string& folder, std::string& why);
    /// The first usable backlight in `classFolder`, by name; nothing with `why` set when there is
    /// none.
    static std::unique_ptr<Backlight> FindIn(const std::string& classFolder, std::string& why);

    /// The value of `maximum` for `level` of 0 ... 255, rounded; a level above 0 is never 0, so
    /// that a dim display stays lit on a backlight of few steps.
    static long long Scale(int level, long long maximum);

    std::string Name() const override;
    std::string Save() override;
    std::string Set(int level) override;
    std::string Restore() override;
    bool ThroughDisplay() const override { return false; }

  private:
    Backlight(std::string folder, long long maximum);
    std::string Write(long long value);

    std::string m_folder;
    long long m_maximum;
    long long m_saved = 0;
};
