#pragma once

#include <memory>
#include <string>

#include "DisplayPower.h"

class DisplayConnection;

/// The display's power through the X server's DPMS extension. Off forces the display off, with
/// DPMS switched on for it when it was disabled (a kiosk session disables it, so that the
/// server's own timeouts keep out of the way); On forces it on and leaves DPMS disabled again.
class DpmsPower : public DisplayPower {
  public:
    /// Nothing, with `why` set, when the server has no DPMS extension or its display cannot do it.
    static std::unique_ptr<DpmsPower> Open(DisplayConnection& connection, std::string& why);

    std::string Name() const override { return "DPMS"; }
    std::string Off() override;
    std::string On() override;

  private:
    explicit DpmsPower(DisplayConnection& connection) : m_connection(connection) {}

    DisplayConnection& m_connection;
    bool m_enabledBefore = true;
};
