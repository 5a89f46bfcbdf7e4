// The style copy dialog of the real panel: which groups it copies and the ticks it remembers.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include <wx/checkbox.h>

#include "ButtonSamples.h"
#include "GuiTestSupport.h"
#include "ModalScript.h"
#include "dialogs/ChangeStyleDlg.h"
#include "model/PanelState.h"
#include "model/StyleCopy.h"
#include "panel/PanelDialogs.h"
#include "panel/PanelEditor.h"

namespace {

/// The check boxes by group, as the dialog places them.
constexpr int kBoxIds[StyleGroups::Count] = {
    ChangeStyleDlg::ID_TEXT,     ChangeStyleDlg::ID_IMAGE,      ChangeStyleDlg::ID_FONT,
    ChangeStyleDlg::ID_POSITION, ChangeStyleDlg::ID_TASTER_LED, ChangeStyleDlg::ID_PAGEFLIP};

using Boxes = std::array<wxCheckBox*, StyleGroups::Count>;

Boxes FindBoxes(wxWindow& dialog) {
    Boxes boxes{};
    for (int group = 0; group < StyleGroups::Count; ++group) {
        boxes[group] = dynamic_cast<wxCheckBox*>(dialog.FindWindow(kBoxIds[group]));
    }
    return boxes;
}

bool AllFound(const Boxes& boxes) {
    for (const wxCheckBox* box : boxes) {
        if (box == nullptr) {
            return false;
        }
    }
    return true;
}

void Tick(const Boxes& boxes, const StyleChoices& ticks) {
    for (int group = 0; group < StyleGroups::Count; ++group) {
        boxes[group]->SetValue(ticks[group] != 0);
    }
}

StyleChoices Ticked(const Boxes& boxes) {
    StyleChoices ticks{};
    for (int group = 0; group < StyleGroups::Count; ++group) {
        ticks[group] = boxes[group]->GetValue() ? 1 : 0;
    }
    return ticks;
}

/// A panel with two buttons on page 0 and a style source on page 1, all different.
class CopyRig : public PanelRig {
  public:
    CopyRig() {
        auto layout = SmallLayout();
        layout->Page(0).Button_Last = 2;
        layout->Page(1).Button_Last = 1;
        ButtonRecord& source = layout->Button(1, 0);
        source = SampleButton(1);
        source.PosX = 200;
        source.PosY = 200;
        source.Pageflip = 0;
        layout->Button(0, 0).PosX = 60;
        layout->Button(0, 0).PosY = 60;
        layout->Button(0, 1).PosX = 170;
        layout->Button(0, 1).PosY = 100;
        Start(*layout);
    }

    ChangeStyleDlg& Dialog() { return (*panel)->Dialogs().ChangeStyle(); }

    /// Shows the dialog for a target as the panel does in change-style mode.
    void Open(ButtonRef source, int page, int button) {
        PanelState& state = TheState();
        state.StyleSource = source;
        state.CurrentPage = page;
        state.SelectedButton = button;
        panel->Get()->Dialogs().Editor().EditInDialog(PanelDialog::ChangeStyle);
    }
};

const ButtonRef kSource{0, 1};

TEST(StyleCopy, ShowsEveryControlAtItsPlace) {
    CopyRig rig;
    ChangeStyleDlg& dialog = rig.Dialog();
    EXPECT_EQ(dialog.GetTitle(), "");
    // 300 wide unless a label needs more room in this theme.
    EXPECT_GE(dialog.GetClientSize().x, 300);
    EXPECT_EQ(dialog.GetClientSize().y, 229);
    EXPECT_EQ(dialog.GetParent(), rig.panel->Get());
    EXPECT_TRUE(dialog.HasFlag(wxSTAY_ON_TOP));
    struct Place {
        int id;
        const char* label;
        wxPoint position;
    };
    for (const Place& place :
         {Place{ChangeStyleDlg::ID_TEXT, "Change Text", {16, 16}},
          Place{ChangeStyleDlg::ID_IMAGE, "Change Image", {16, 64}},
          Place{ChangeStyleDlg::ID_FONT, "Change Font", {16, 112}},
          Place{ChangeStyleDlg::ID_POSITION, "Change Position", {160, 16}},
          Place{ChangeStyleDlg::ID_TASTER_LED, "Change Taster/Led", {160, 64}},
          Place{ChangeStyleDlg::ID_PAGEFLIP, "Change Pageflip", {160, 112}},
          Place{wxID_CANCEL, "Cancel", {120, 168}}, Place{wxID_OK, "OK", {208, 168}}}) {
        SCOPED_TRACE(place.label);
        wxWindow* control = dialog.FindWindow(place.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetPosition(), place.position);
        EXPECT_EQ(control->GetLabel(), place.label);
    }
    const Boxes boxes = FindBoxes(dialog);
    ASSERT_TRUE(AllFound(boxes));
    EXPECT_EQ(Ticked(boxes), StyleChoices{});
    const wxRect client(wxPoint(0, 0), dialog.GetClientSize());
    for (const wxCheckBox* box : boxes) {
        EXPECT_TRUE(client.Contains(box->GetRect())) << box->GetLabel();
        EXPECT_GE(box->GetSize().x, box->GetBestSize().x) << box->GetLabel();
    }
}

TEST(StyleCopy, EachGroupAloneCopiesOnlyItsFieldsAndNeverInaktiv) {
    for (int group = 0; group < StyleGroups::Count; ++group) {
        SCOPED_TRACE(group);
        CopyRig rig;
        const Boxes boxes = FindBoxes(rig.Dialog());
        ASSERT_TRUE(AllFound(boxes));
        const auto source = StyleGroupsOf(TheLayout().Button(1, 0));
        const auto before = StyleGroupsOf(TheLayout().Button(0, 1));
        ModalScript script;
        script.Then([&](wxDialog& d) {
            StyleChoices only{};
            only[group] = 1;
            Tick(boxes, only);
            ClickButton(d, "OK");
        });
        rig.Open(kSource, 0, 1);
        const auto after = StyleGroupsOf(TheLayout().Button(0, 1));
        for (int g = 0; g < StyleGroups::Count; ++g) {
            EXPECT_EQ(after[g], g == group ? source[g] : before[g]) << "group " << g;
        }
        EXPECT_EQ(TheLayout().Button(0, 1).Inaktiv, 0);
        EXPECT_EQ(TheState().LayoutChanged, 1);
        StyleChoices remembered{};
        remembered[group] = 1;
        EXPECT_EQ(TheState().CopyChoices, remembered);
        // The source is not changed, and the other button of the page neither.
        EXPECT_EQ(StyleGroupsOf(TheLayout().Button(1, 0)), source);
        EXPECT_EQ(TheLayout().Button(0, 0).Text_Off, L"Text_000");
    }
}

TEST(StyleCopy, EverythingTickedStillLeavesInaktiv) {
    CopyRig rig;
    const Boxes boxes = FindBoxes(rig.Dialog());
    ASSERT_TRUE(AllFound(boxes));
    TheLayout().Button(0, 0).Inaktiv = 1;
    TheLayout().Button(1, 0).Inaktiv = 0;
    StyleChoices all;
    all.fill(1);
    ModalScript script;
    script.Then([&](wxDialog& d) {
        Tick(boxes, all);
        ClickButton(d, "OK");
    });
    rig.Open(kSource, 0, 0);
    EXPECT_EQ(StyleGroupsOf(TheLayout().Button(0, 0)), StyleGroupsOf(TheLayout().Button(1, 0)));
    EXPECT_EQ(TheLayout().Button(0, 0).Inaktiv, 1);
}

TEST(StyleCopy, TicksConfirmedWithOkArePresetAndCancelKeepsThem) {
    CopyRig rig;
    const Boxes boxes = FindBoxes(rig.Dialog());
    ASSERT_TRUE(AllFound(boxes));
    const StyleChoices chosen{1, 0, 1, 0, 0, 1};
    const StyleChoices other{0, 1, 0, 1, 1, 0};
    ModalScript script;
    script.Then([&](wxDialog& d) {
        EXPECT_EQ(Ticked(boxes), StyleChoices{});
        Tick(boxes, chosen);
        ClickButton(d, "OK");
    });
    script.Then([&](wxDialog& d) {
        EXPECT_EQ(Ticked(boxes), chosen);
        Tick(boxes, other);
        ClickButton(d, "Cancel");
    });
    script.Then([&](wxDialog& d) {
        EXPECT_EQ(Ticked(boxes), chosen);
        Tick(boxes, other);
        d.Close();
    });
    script.Then([&](wxDialog& d) {
        EXPECT_EQ(Ticked(boxes), chosen);
        ClickButton(d, "Cancel");
    });
    rig.Open(kSource, 0, 1);
    EXPECT_EQ(TheState().CopyChoices, chosen);
    const ButtonRecord afterOk = TheLayout().Button(0, 0);
    for (int show = 0; show < 3; ++show) {
        rig.Open(kSource, 0, 0);
    }
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(TheState().CopyChoices, chosen);
    // Cancel and the close box copied nothing to button 0.
    EXPECT_EQ(StyleGroupsOf(TheLayout().Button(0, 0)), StyleGroupsOf(afterOk));
}

TEST(StyleCopy, WithoutSourceOrTargetNothingHappens) {
    struct Case {
        ButtonRef source;
        int target;
    };
    for (const Case c :
         {Case{ButtonRef{-1, -1}, 1}, Case{kSource, -1}, Case{ButtonRef{-1, 1}, 1}}) {
        SCOPED_TRACE(testing::Message()
                     << c.source.button << "/" << c.source.page << " -> " << c.target);
        CopyRig rig;
        const Boxes boxes = FindBoxes(rig.Dialog());
        ASSERT_TRUE(AllFound(boxes));
        const auto before = StyleGroupsOf(TheLayout().Button(0, 1));
        ModalScript script;
        script.Then([&](wxDialog& d) {
            StyleChoices all;
            all.fill(1);
            Tick(boxes, all);
            ClickButton(d, "OK");
        });
        rig.Open(c.source, 0, c.target);
        EXPECT_FALSE(rig.Dialog().IsShown());
        EXPECT_EQ(StyleGroupsOf(TheLayout().Button(0, 1)), before);
        EXPECT_EQ(TheState().CopyChoices, StyleChoices{});
        EXPECT_EQ(TheState().LayoutChanged, 0);
    }
}

TEST(StyleCopy, NothingTickedStillMarksTheLayoutChanged) {
    CopyRig rig;
    const auto before = StyleGroupsOf(TheLayout().Button(0, 1));
    ModalScript script;
    script.Then([](wxDialog& d) { ClickButton(d, "OK"); });
    rig.Open(kSource, 0, 1);
    EXPECT_EQ(StyleGroupsOf(TheLayout().Button(0, 1)), before);
    EXPECT_EQ(TheState().LayoutChanged, 1);
}

TEST(StyleCopy, PositionFromAnotherPageThroughThePanel) {
    CopyRig rig;
    MainDialog& panel = *rig.panel->Get();
    const Boxes boxes = FindBoxes(rig.Dialog());
    ASSERT_TRUE(AllFound(boxes));
    PanelState& state = TheState();

    // Take the style on page 1 ...
    state.CurrentPage = 1;
    panel.View().LoadPage(1);
    panel.View().DrawPage(1);
    state.EditMode = EditModes::GetStyle;
    ASSERT_TRUE(TouchAt(panel, 250, 225));
    EXPECT_EQ(state.StyleSource.button, 0);
    EXPECT_EQ(state.StyleSource.page, 1);

    // ... and give it to a button of page 0.
    state.CurrentPage = 0;
    panel.View().LoadPage(0);
    panel.View().DrawPage(0);
    state.EditMode = EditModes::ChangeStyle;
    ModalScript script;
    script.Then([&](wxDialog& d) {
        Tick(boxes, StyleChoices{0, 0, 0, 1, 0, 0});
        ClickButton(d, "OK");
    });
    ASSERT_TRUE(TouchAt(panel, 200, 120));
    EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    EXPECT_EQ(TheLayout().Button(0, 1).PosX, 200);
    EXPECT_EQ(TheLayout().Button(0, 1).PosY, 200);
    EXPECT_EQ(TheLayout().Button(0, 1).Text_Off, L"Text_001");
    EXPECT_EQ(state.LayoutChanged, 1);
    // The source stays the source for the next copy.
    EXPECT_EQ(state.StyleSource.button, 0);
    EXPECT_EQ(state.StyleSource.page, 1);
}

}  // namespace
