#pragma once

#include <memory>
#include <string>

#include "Brightness.h"
#include "DisplayConnection.h"
#include "DisplayControl.h"
#include "DisplayOptions.h"
#include "DisplayPower.h"
#include "DisplaySettingsFile.h"
#include "InputGuard.h"

/// The program's one thread: a poll() loop over the X connection and the stop signals that
/// tells the display control the idle time and the touches on the guard, shows and hides the
/// guard as the control wants it, and looks at the layout file about once a second.
class DisplayService {
  public:
    explicit DisplayService(const DisplayOptions& options);
    ~DisplayService();
    DisplayService(const DisplayService&) = delete;
    DisplayService& operator=(const DisplayService&) = delete;

    /// Opens the display, chooses the backends and reads the settings, printing a line for
    /// each; false with `why` set when there is no X display to work on.
    bool Start(std::string& why);
    /// Runs until `stopFd` (the read end of the signal pipe) becomes readable, then puts the
    /// brightness and the display power back.
    void Run(int stopFd);

  private:
    /// Every event the connection holds: touches on the guard, windows stacked above it.
    void HandleEvents();
    void LookAtSettings(std::chrono::milliseconds idle);
    /// The guard shown or hidden, as the control wants it.
    void FollowGuard();

    DisplayOptions m_options;
    std::unique_ptr<DisplayConnection> m_connection;
    std::unique_ptr<Brightness> m_brightness;
    std::unique_ptr<DisplayPower> m_power;
    std::unique_ptr<InputGuard> m_guard;
    std::unique_ptr<DisplayControl> m_control;
    std::unique_ptr<DisplaySettingsFile> m_file;
    DisplaySettings m_settings;
};
