#include "DisplayService.h"

#include <poll.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "Backlight.h"
#include "DpmsPower.h"
#include "GammaBrightness.h"
#include "ToolProcess.h"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

/// How often the layout file is looked at.
constexpr Milliseconds kSettingsLookStep{1000};

}  // namespace

DisplayService::DisplayService(const DisplayOptions& options) : m_options(options) {}

DisplayService::~DisplayService() = default;

bool DisplayService::Start(std::string& why) {
    // Called from within Xlib when the server has gone; nothing else runs then.
    m_connection = DisplayConnection::Open(why, [this] {
        if (m_control) {
            m_control->StopWithoutDisplay();
        }
    });
    if (!m_connection) {
        return false;
    }
    std::string reason;
    m_brightness = m_options.backlight ? Backlight::Open(*m_options.backlight, reason)
                                       : Backlight::FindIn(Backlight::kClassFolder, reason);
    if (!m_brightness) {
        PrintLine("skipped backlight: " + reason);
        m_brightness = GammaBrightness::Open(*m_connection, reason);
        if (!m_brightness) {
            PrintLine("skipped RandR gamma: " + reason);
        }
    }
    m_power = DpmsPower::Open(*m_connection, reason);
    if (!m_power) {
        PrintLine("skipped DPMS: " + reason);
    }
    PrintLine("backends: brightness by " + (m_brightness ? m_brightness->Name() : "none") +
              ", power by " + (m_power ? m_power->Name() : "none"));

    m_guard = std::make_unique<InputGuard>(*m_connection);
    m_control = std::make_unique<DisplayControl>(m_brightness.get(), m_power.get(),
                                                 m_options.minute, PrintLine);
    m_file = std::make_unique<DisplaySettingsFile>(m_options.folder, PrintLine);
    m_settings = m_file->Load();
    PrintLine(m_settings.Describe());
    m_control->Apply(m_settings, m_connection->Idle());
    FollowGuard();
    return true;
}

void DisplayService::Run(int stopFd) {
    Display* display = m_connection->X();
    auto nextLook = Clock::now() + kSettingsLookStep;
    for (;;) {
        HandleEvents();
        const Milliseconds idle = m_connection->Idle();
        m_control->Update(idle);
        const auto now = Clock::now();
        if (now >= nextLook) {
            LookAtSettings(idle);
            nextLook = now + kSettingsLookStep;
        }
        FollowGuard();
        XFlush(display);
        if (XPending(display) > 0) {
            continue;
        }
        const auto untilLook = std::chrono::duration_cast<Milliseconds>(nextLook - now);
        const Milliseconds wait = std::clamp(std::min(m_control->UntilNextLook(idle), untilLook),
                                             Milliseconds(1), kSettingsLookStep);
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {m_connection->Fd(), POLLIN, 0}};
        if (poll(fds, 2, static_cast<int>(wait.count())) < 0) {
            if (errno == EINTR) {
                continue;
            }
            ToolJournal().Error(std::string("tvx-display: poll: ") + std::strerror(errno));
            break;
        }
        if (fds[0].revents != 0) {
            break;
        }
    }
    m_control->Stop();
    m_guard->Hide();
    m_connection->Sync();
}

void DisplayService::HandleEvents() {
    Display* display = m_connection->X();
    while (XPending(display) > 0) {
        XEvent event{};
        XNextEvent(display, &event);
        switch (m_guard->Handle(event)) {
            case InputGuard::Touch::Down:
                m_control->TouchDown();
                break;
            case InputGuard::Touch::Up:
                m_control->TouchUp();
                break;
            case InputGuard::Touch::Nothing:
                break;
        }
        FollowGuard();
    }
}

void DisplayService::LookAtSettings(Milliseconds idle) {
    const std::optional<DisplaySettings> settings = m_file->Look();
    if (settings && *settings != m_settings) {
        m_settings = *settings;
        PrintLine(m_settings.Describe());
        m_control->Apply(m_settings, idle);
    }
}

void DisplayService::FollowGuard() {
    const bool wanted = m_control->GuardWanted();
    if (wanted && !m_guard->Shown()) {
        const std::string failure = m_guard->Show();
        if (!failure.empty()) {
            PrintLine("cannot cover the screen for the waking touch: " + failure);
        }
    } else if (!wanted && m_guard->Shown()) {
        m_guard->Hide();
    }
}
