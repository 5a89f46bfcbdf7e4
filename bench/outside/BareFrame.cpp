// The least a toolkit program does to show a page: an application, one frame of the given
// client size in the middle of the display, one plain colour painted over it. The bench starts
// it beside the panel (tvx-bench-probe) to tell the panel's own start time from the toolkit's.
//
//   tvx-bare-frame WIDTH HEIGHT
#include <cstdlib>

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/frame.h>

namespace {

class BareFrame : public wxFrame {
  public:
    BareFrame(int width, int height)
        : wxFrame(nullptr, wxID_ANY, "Bare frame", wxDefaultPosition, wxDefaultSize,
                  wxBORDER_NONE) {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        SetClientSize(width, height);
        Centre(wxBOTH);
        Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
            wxPaintDC dc(this);
            dc.SetBackground(wxBrush(wxColour(40, 90, 160)));
            dc.Clear();
        });
    }
};

}  // namespace

// Outside the unnamed namespace: the application macro defines a wxGetApp() for it that nothing
// here calls, which inside would be a function of this file alone and unused.
class BareApp : public wxApp {
  public:
    bool OnInit() override {
        if (argc != 3) {
            return false;
        }
        (new BareFrame(std::atoi(argv[1].c_str()), std::atoi(argv[2].c_str())))->Show();
        return true;
    }
};

wxIMPLEMENT_APP(BareApp);
