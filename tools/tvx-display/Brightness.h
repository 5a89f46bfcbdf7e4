#pragma once

#include <string>

/// A way to set the display's brightness. Every operation returns why it failed, or an empty
/// string when it worked.
class Brightness {
  public:
    virtual ~Brightness() = default;

    /// What it is, for the line that names the backends ("backlight /sys/...").
    virtual std::string Name() const = 0;
    /// Remembers the brightness as it is now, for Restore.
    virtual std::string Save() = 0;
    /// Sets `level` of 0 ... 255.
    virtual std::string Set(int level) = 0;
    /// Puts back what Save found.
    virtual std::string Restore() = 0;
    /// Whether it works through the X display, and so ends with it.
    virtual bool ThroughDisplay() const = 0;
};
