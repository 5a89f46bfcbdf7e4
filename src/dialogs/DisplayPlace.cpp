#include "dialogs/DisplayPlace.h"

#include <algorithm>
#include <vector>

#include <wx/clntdata.h>
#include <wx/display.h>
#include <wx/weakref.h>

#include "model/WindowPlacement.h"

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

namespace {

/// The places a dialog's controls were given, and its client height, kept with the dialog the
/// first time it is placed: compacting starts from them every time.
class LaidOutPlaces : public wxClientData {
  public:
    explicit LaidOutPlaces(const wxWindow& dialog) : m_height(dialog.GetClientSize().y) {
        for (wxWindow* child : dialog.GetChildren()) {
            if (!child->IsTopLevel()) {
                m_controls.push_back(Control{child, child->GetPosition(), child->GetSize().y});
            }
        }
    }

    /// Moves the controls as far together as `available` pixels of height need; gives the
    /// client height the dialog then needs.
    int CompactInto(int available) const {
        std::vector<RowSpan> spans;
        for (const Control& control : m_controls) {
            spans.push_back(RowSpan{control.place.y, control.height});
        }
        const CompactedRows rows = CompactRows(spans, m_height, available);
        for (std::size_t i = 0; i < m_controls.size(); ++i) {
            wxWindow* window = m_controls[i].window.get();
            const wxPoint place(m_controls[i].place.x, rows.tops[i]);
            if (window != nullptr && window->GetPosition() != place) {
                window->Move(place);
            }
        }
        return rows.height;
    }

  private:
    struct Control {
        wxWeakRef<wxWindow> window;
        wxPoint place;
        int height;
    };
    int m_height;
    std::vector<Control> m_controls;
};

/// Our dialogs hold controls of ours at fixed places; a window of the toolkit's own holds none.
bool HasControls(const wxWindow& window) {
    const wxWindowList& children = window.GetChildren();
    return std::any_of(children.begin(), children.end(),
                       [](const wxWindow* child) { return !child->IsTopLevel(); });
}

LaidOutPlaces& LaidOutPlacesOf(wxTopLevelWindow& window) {
    auto* places = dynamic_cast<LaidOutPlaces*>(window.GetClientObject());
    if (places == nullptr) {
        places = new LaidOutPlaces(window);
        window.SetClientObject(places);
    }
    return *places;
}

/// The work area of the display the window belongs on: its parent's, else its own, else the
/// first.
wxRect WorkAreaFor(const wxTopLevelWindow& window) {
    int index =
        window.GetParent() != nullptr ? wxDisplay::GetFromWindow(window.GetParent()) : wxNOT_FOUND;
    if (index == wxNOT_FOUND) {
        index = wxDisplay::GetFromWindow(&window);
    }
    return wxDisplay(index == wxNOT_FOUND ? 0u : static_cast<unsigned>(index)).GetClientArea();
}

Rect RectOf(const wxRect& rect) {
    return Rect{rect.x, rect.y, rect.width, rect.height};
}

/// Where a window is, its frame included, as the X server has it once it is on the screen. The
/// toolkit's own idea lags behind a window manager that has just framed the window (it takes the
/// window's place in the new frame for its place on the screen): placed by that, the window
/// would be moved into a corner.
wxRect PlaceOf(wxTopLevelWindow& window) {
#ifdef __WXGTK__
    if (auto* widget = static_cast<GtkWidget*>(window.GetHandle())) {
        if (GdkWindow* shown = gtk_widget_get_window(widget);
            shown != nullptr && gdk_window_is_viewable(shown)) {
            GdkRectangle outer{};
            gdk_window_get_frame_extents(shown, &outer);
            return wxRect(outer.x, outer.y, outer.width, outer.height);
        }
    }
#endif
    return window.GetRect();
}

#ifdef __WXGTK__
/// The scrolled lists inside a toolkit window, its own inner widgets included.
void FindLists(GtkWidget* widget, std::vector<GtkWidget*>& lists) {
    if (GTK_IS_SCROLLED_WINDOW(widget)) {
        lists.push_back(widget);
    }
    if (GTK_IS_CONTAINER(widget)) {
        gtk_container_forall(
            GTK_CONTAINER(widget),
            [](GtkWidget* child, gpointer found) {
                FindLists(child, *static_cast<std::vector<GtkWidget*>*>(found));
            },
            &lists);
    }
}

/// A list keeps at least this height, enough for a few of its lines.
constexpr int kLeastListHeight = 120;

/// A toolkit window that cannot be made as short as the area (the font chooser asks for 480
/// pixels besides its frame) gets there by asking less height for its lists, the tallest first.
void ShortenLists(GtkWidget* window, int excess) {
    std::vector<GtkWidget*> lists;
    FindLists(window, lists);
    while (excess > 0) {
        GtkWidget* tallest = nullptr;
        int tallestHeight = kLeastListHeight;
        for (GtkWidget* list : lists) {
            int least = 0;
            gtk_widget_get_preferred_height(list, &least, nullptr);
            if (least > tallestHeight) {
                tallest = list;
                tallestHeight = least;
            }
        }
        if (tallest == nullptr) {
            return;
        }
        const int cut = std::min(excess, tallestHeight - kLeastListHeight);
        int width = 0;
        gtk_widget_get_size_request(tallest, &width, nullptr);
        gtk_widget_set_size_request(tallest, width, tallestHeight - cut);
        excess -= cut;
    }
}
#endif

/// A chooser or message box of the toolkit's own: the toolkit sizes it as it maps it, and only
/// the toolkit knows that size.
void PlaceToolkitWindow(wxTopLevelWindow& window, const wxRect& area) {
#ifdef __WXGTK__
    GtkWindow* gtkWindow = GTK_WINDOW(window.GetHandle());
    GtkWidget* widget = GTK_WIDGET(gtkWindow);
    wxSize frame;
    if (GdkWindow* shown = gtk_widget_get_window(widget)) {
        int width = 0;
        int height = 0;
        gtk_window_get_size(gtkWindow, &width, &height);
        GdkRectangle outer{};
        gdk_window_get_frame_extents(shown, &outer);
        frame = wxSize(std::max(0, outer.width - width), std::max(0, outer.height - height));
    }
    int least = 0;
    gtk_widget_get_preferred_height(widget, &least, nullptr);
    if (least + frame.y > area.height) {
        ShortenLists(widget, least + frame.y - area.height);
    }
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
    gtk_window_get_size(gtkWindow, &width, &height);
    gtk_window_get_position(gtkWindow, &x, &y);
    const Rect placed = PlaceWithin(RectOf(area), Rect{x, y, width + frame.x, height + frame.y});
    if (placed.width != width + frame.x || placed.height != height + frame.y) {
        gtk_window_resize(gtkWindow, placed.width - frame.x, placed.height - frame.y);
    }
    if (placed.x != x || placed.y != y) {
        gtk_window_move(gtkWindow, placed.x, placed.y);
    }
#else
    const Rect placed = PlaceWithin(RectOf(area), RectOf(window.GetRect()));
    window.SetSize(wxRect(placed.x, placed.y, placed.width, placed.height));
#endif
}

}  // namespace

void PlaceOnDisplay(wxTopLevelWindow& window) {
    if (!HasControls(window)) {
        if (window.GetHandle() != nullptr) {
            PlaceToolkitWindow(window, WorkAreaFor(window));
        }
        return;
    }
    const wxRect area = WorkAreaFor(window);
    const wxSize frame = window.GetSize() - window.GetClientSize();
    const int height = LaidOutPlacesOf(window).CompactInto(area.height - frame.y);
    if (height != window.GetClientSize().y) {
        window.SetClientSize(window.GetClientSize().x, height);
    }
    const wxRect now = PlaceOf(window);
    const Rect placed = PlaceWithin(RectOf(area), RectOf(now));
    const wxRect wanted(placed.x, placed.y, placed.width, placed.height);
    if (wanted != now) {
        window.SetSize(wanted);
    }
}

namespace {

/// Placed later, once the toolkit or the window manager has done what it was asked: the frame is
/// known only once the window is shown.
void PlaceSoon(wxTopLevelWindow* window) {
    window->CallAfter([window] { PlaceOnDisplay(*window); });
}

void OnShown(wxShowEvent& event) {
    event.Skip();
    if (auto* window = wxDynamicCast(event.GetEventObject(), wxTopLevelWindow);
        window != nullptr && event.IsShown()) {
        PlaceSoon(window);
    }
}

void OnResized(wxSizeEvent& event) {
    event.Skip();
    if (auto* window = wxDynamicCast(event.GetEventObject(), wxTopLevelWindow);
        window != nullptr && window->IsShown()) {
        PlaceSoon(window);
    }
}

void OnIconized(wxIconizeEvent& event) {
    event.Skip();
    auto* window = wxDynamicCast(event.GetEventObject(), wxTopLevelWindow);
    if (window == nullptr || !event.IsIconized()) {
        return;
    }
    window->CallAfter([window] {
        if (window->IsShown() && window->IsIconized()) {
            window->Iconize(false);
            window->Raise();
        }
    });
}

#ifdef __WXGTK__
/// The toolkit has moved or sized its window (mapped it, the window manager framed it).
gboolean OnConfigured(GtkWidget*, GdkEventConfigure*, gpointer window) {
    PlaceSoon(static_cast<wxTopLevelWindow*>(window));
    return FALSE;
}
#endif

/// A window of the toolkit's own exists only once its modal run has begun, and takes its size
/// as it is mapped: it is placed then, and again whenever the toolkit moves or sizes it.
void WatchToolkitWindow(wxTopLevelWindow& window) {
#ifdef __WXGTK__
    auto* widget = static_cast<GtkWidget*>(window.GetHandle());
    if (widget == nullptr) {
        return;
    }
    PlaceOnDisplay(window);
    g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(&OnConfigured),
                                         &window);
    g_signal_connect(widget, "configure-event", G_CALLBACK(&OnConfigured), &window);
#else
    PlaceOnDisplay(window);
#endif
}

}  // namespace

void KeepOnDisplay(wxTopLevelWindow& window) {
    if (!HasControls(window)) {
        wxTopLevelWindow* toolkitWindow = &window;
        window.CallAfter([toolkitWindow] { WatchToolkitWindow(*toolkitWindow); });
        return;
    }
    PlaceOnDisplay(window);
    window.Bind(wxEVT_SHOW, &OnShown);
    window.Bind(wxEVT_SIZE, &OnResized);
    window.Bind(wxEVT_ICONIZE, &OnIconized);
}

void StopKeepingOnDisplay(wxTopLevelWindow& window) {
    if (!HasControls(window)) {
#ifdef __WXGTK__
        if (auto* widget = static_cast<GtkWidget*>(window.GetHandle())) {
            g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(&OnConfigured),
                                                 &window);
        }
#endif
        return;
    }
    window.Unbind(wxEVT_SHOW, &OnShown);
    window.Unbind(wxEVT_SIZE, &OnResized);
    window.Unbind(wxEVT_ICONIZE, &OnIconized);
}
