#pragma once

#include <string>

/// A way to switch the display itself off and on. Both return why they failed, or an empty
/// string when they worked.
class DisplayPower {
  public:
    virtual ~DisplayPower() = default;

    /// What it is, for the output lines ("DPMS").
    virtual std::string Name() const = 0;
    virtual std::string Off() = 0;
    virtual std::string On() = 0;
};
