#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"

/// A rectangle on the screen.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

/// One top-level window as the user sees it: the client window (inside the window manager's
/// frame, if there is one), its title and its client area on the screen, and the whole of it,
/// the frame included (the client area when there is no frame).
struct ScreenWindow {
    unsigned long id = 0;
    std::string title;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    ScreenRect outer;
};

/// The size of a test screen.
struct ScreenSize {
    int width = 1280;
    int height = 1024;
};

/// An X server of the tests' own (Xvfb, 1280 x 1024 unless a test asks for another size), bare or
/// with openbox, and what a user does and sees there: the real stacking order of the windows on
/// screen, clicks and keys through the server's test extension. One for the whole run of the test
/// program.
class TestScreen {
  public:
    /// Starts the server, and the window manager when asked; false when either does not come up.
    bool Start(bool withWindowManager, ScreenSize size = ScreenSize());
    /// Starts the server again at another size, the window manager with it if there is one.
    bool Restart(ScreenSize size);
    ~TestScreen();

    bool HasWindowManager() const { return m_withWindowManager; }
    ScreenSize Size() const { return m_size; }
    /// The work area the window manager announces (the screen without its docks and bars), the
    /// whole screen when nobody announces one.
    ScreenRect WorkArea() const;
    /// The environment a program on this screen needs ("DISPLAY=:N" and the rest).
    std::vector<std::string> Environment() const;

    /// The windows on screen (mapped and viewable), top first.
    std::vector<ScreenWindow> Stacking() const;
    /// The stacking as text for failure messages: one "title (id)" per window, top first.
    std::string Describe() const;
    /// The topmost window on screen whose title is `title`.
    bool Find(const std::string& title, ScreenWindow& found) const;

    /// Whether a window that takes input only (it shows nothing, so Stacking leaves it out),
    /// named `name`, is shown above all others over the whole screen.
    bool CoveredBy(const std::string& name) const;
    /// Whether a window named `name` exists at all, shown or not.
    bool HasWindow(const std::string& name) const;

    /// A touch: the pointer to a point of the window's client area, pressed, held for `held`
    /// and released.
    void Click(const ScreenWindow& window, int x, int y,
               std::chrono::milliseconds held = std::chrono::milliseconds(60));
    /// Moves the pointer without pressing.
    void PointAt(const ScreenWindow& window, int x, int y);
    /// Keys as xdotool names them ("Return", "Escape", "ctrl+l", "alt+Home").
    void Key(const std::string& combination);
    /// Types plain text (letters, digits and the punctuation of a path).
    void Type(const std::string& text);
    /// Gives the keyboard to a window (without a window manager nobody else does).
    void Focus(const ScreenWindow& window);
    /// Asks the window manager to iconify a window, as `xdotool windowminimize` and a touch on
    /// a title bar's "_" do (without a window manager nobody answers).
    void Iconify(const ScreenWindow& window);
    /// Asks the window manager to maximise a window, as a double touch on its title bar does.
    void Maximise(const ScreenWindow& window);
    /// How many pixels of a rectangle of the screen, as the server holds it, have the colour
    /// `rgb` (0xRRGGBB).
    int CountPixels(int x, int y, int width, int height, unsigned long rgb) const;

  private:
    struct Connection;
    void KeyOfSymbol(unsigned long symbol, bool withShift);
    void Stop();

    std::unique_ptr<ChildProcess> m_server;
    std::unique_ptr<ChildProcess> m_windowManager;
    std::unique_ptr<Connection> m_connection;
    std::string m_display;
    bool m_withWindowManager = false;
    ScreenSize m_size;
};

/// The screen of this run, started by the test program's main.
TestScreen& TheScreen();

/// Polls `condition` every 20 ms until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
