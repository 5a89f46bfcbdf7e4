#include "GammaBrightness.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <utility>

#include "DisplayConnection.h"
#include "DisplaySettings.h"

GammaBrightness::GammaBrightness(DisplayConnection& connection, std::vector<Ramp> ramps)
    : m_connection(connection), m_saved(std::move(ramps)) {}

std::unique_ptr<GammaBrightness> GammaBrightness::Open(DisplayConnection& connection,
                                                       std::string& why) {
    Display* display = connection.X();
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
        !XRRQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 2)) {
        why = "the X server has no RandR 1.2";
        return nullptr;
    }
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    std::vector<Ramp> ramps;
    for (int i = 0; resources != nullptr && i < resources->ncrtc; ++i) {
        const int size = XRRGetCrtcGammaSize(display, resources->crtcs[i]);
        if (size > 1) {
            Ramp ramp;
            ramp.crtc = resources->crtcs[i];
            ramp.size = size;
            ramps.push_back(ramp);
        }
    }
    if (resources != nullptr) {
        XRRFreeScreenResources(resources);
    }
    if (ramps.empty()) {
        why = "no CRTC of the X server has a gamma ramp";
        return nullptr;
    }
    return std::unique_ptr<GammaBrightness>(new GammaBrightness(connection, std::move(ramps)));
}

std::string GammaBrightness::Name() const {
    return "RandR gamma (" + std::to_string(m_saved.size()) +
           (m_saved.size() == 1 ? " CRTC)" : " CRTCs)");
}

std::string GammaBrightness::Save() {
    Display* display = m_connection.X();
    for (Ramp& ramp : m_saved) {
        XRRCrtcGamma* gamma = XRRGetCrtcGamma(display, ramp.crtc);
        if (gamma == nullptr || gamma->size != ramp.size) {
            if (gamma != nullptr) {
                XRRFreeGamma(gamma);
            }
            return "cannot read the gamma ramp of CRTC " + std::to_string(ramp.crtc);
        }
        ramp.red.assign(gamma->red, gamma->red + gamma->size);
        ramp.green.assign(gamma->green, gamma->green + gamma->size);
        ramp.blue.assign(gamma->blue, gamma->blue + gamma->size);
        XRRFreeGamma(gamma);
    }
    return m_connection.Sync();
}

std::string GammaBrightness::Set(int level) {
    std::vector<Ramp> ramps = m_saved;
    const long long top = DisplaySettings::kBrightest;
    const long long scaled = std::clamp<long long>(level, 0, top);
    for (Ramp& ramp : ramps) {
        const long long last = ramp.size - 1;
        ramp.red.resize(static_cast<std::size_t>(ramp.size));
        for (long long i = 0; i <= last; ++i) {
            ramp.red[static_cast<std::size_t>(i)] =
                static_cast<std::uint16_t>((i * 65535 * scaled + last * top / 2) / (last * top));
        }
        ramp.green = ramp.red;
        ramp.blue = ramp.red;
    }
    return Apply(ramps);
}

std::string GammaBrightness::Restore() {
    return Apply(m_saved);
}

std::string GammaBrightness::Apply(const std::vector<Ramp>& ramps) {
    Display* display = m_connection.X();
    for (const Ramp& ramp : ramps) {
        const auto size = static_cast<std::size_t>(ramp.size);
        if (ramp.red.size() != size || ramp.green.size() != size || ramp.blue.size() != size) {
            return "no gamma ramp found before to put back";
        }
        XRRCrtcGamma* gamma = XRRAllocGamma(ramp.size);
        std::copy(ramp.red.begin(), ramp.red.end(), gamma->red);
        std::copy(ramp.green.begin(), ramp.green.end(), gamma->green);
        std::copy(ramp.blue.begin(), ramp.blue.end(), gamma->blue);
        XRRSetCrtcGamma(display, ramp.crtc, gamma);
        XRRFreeGamma(gamma);
    }
    return m_connection.Sync();
}
