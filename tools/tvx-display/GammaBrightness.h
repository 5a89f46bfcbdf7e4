#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Brightness.h"

class DisplayConnection;

/// The X server's RandR gamma ramps as a brightness, for a display without a backlight of its
/// own: level L of 255 scales a straight ramp by L / 255 on every CRTC. Only dims the picture;
/// the light behind it stays as it is.
class GammaBrightness : public Brightness {
  public:
    /// Nothing, with `why` set, when the server has no RandR 1.2 or no CRTC with a gamma ramp.
    static std::unique_ptr<GammaBrightness> Open(DisplayConnection& connection, std::string& why);

    std::string Name() const override;
    std::string Save() override;
    std::string Set(int level) override;
    std::string Restore() override;
    /// The server forgets the ramps when it ends.
    bool ThroughDisplay() const override { return true; }

  private:
    struct Ramp {
        unsigned long crtc = 0;
        int size = 0;
        std::vector<std::uint16_t> red;
        std::vector<std::uint16_t> green;
        std::vector<std::uint16_t> blue;
    };

    GammaBrightness(DisplayConnection& connection, std::vector<Ramp> ramps);
    std::string Apply(const std::vector<Ramp>& ramps);

    DisplayConnection& m_connection;
    /// The CRTCs with the size of their ramps; after Save, the ramps found.
    std::vector<Ramp> m_saved;
};
