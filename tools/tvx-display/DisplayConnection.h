#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

struct _XDisplay;

/// The connection to the X display that the panel shows on, and its idle time: the time since
/// the last input of any device, from the screen saver extension, so that touches on the panel
/// and on every dialog count. X errors do not end the program: each request that can fail is
/// followed by Sync, which tells the error. A lost connection (the X server ended) does: `lost`
/// runs first, and must not use the display.
class DisplayConnection {
  public:
    /// Opens the display of $DISPLAY; nothing with `why` set when there is none, or when the
    /// server has no screen saver extension to tell the idle time.
    static std::unique_ptr<DisplayConnection> Open(std::string& why, std::function<void()> lost);
    ~DisplayConnection();
    DisplayConnection(const DisplayConnection&) = delete;
    DisplayConnection& operator=(const DisplayConnection&) = delete;

    _XDisplay* X() const { return m_display; }
    /// The socket to the server, for poll().
    int Fd() const;
    /// The time since the last input.
    std::chrono::milliseconds Idle() const;
    /// Waits until the server has handled every request so far; the first error among them
    /// since the last Sync, or an empty string.
    std::string Sync();

  private:
    explicit DisplayConnection(_XDisplay* display) : m_display(display) {}

    _XDisplay* m_display;
};
