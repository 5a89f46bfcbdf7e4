// The page settings dialog of the real panel: the live preview behind it, its undo, and what
// "OK", "Cancel" and the close box keep.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include <wx/colordlg.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "GuiTestSupport.h"
#include "ModalScript.h"
#include "dialogs/PageDlg.h"
#include "model/PanelState.h"

namespace {

const Colour kStartColour = 0x302010;  // red 0x10, green 0x20, blue 0x30
const wxColour kStart(0x10, 0x20, 0x30);
const wxColour kPicture(200, 40, 160);

bool Near(const wxColour& a, const wxColour& b) {
    return std::abs(a.Red() - b.Red()) <= 3 && std::abs(a.Green() - b.Green()) <= 3 &&
           std::abs(a.Blue() - b.Blue()) <= 3;
}

wxTextCtrl& Field(wxDialog& dialog, int id) {
    return *wxStaticCast(dialog.FindWindow(id), wxTextCtrl);
}

/// Puts three components into a colour row (first field identifier given).
void TypeColour(wxDialog& dialog, int firstField, const wxString& red, const wxString& green,
                const wxString& blue) {
    Field(dialog, firstField).SetValue(red);
    Field(dialog, firstField + 1).SetValue(green);
    Field(dialog, firstField + 2).SetValue(blue);
}

wxString RowText(wxDialog& dialog, int firstField) {
    return Field(dialog, firstField).GetValue() + " " + Field(dialog, firstField + 1).GetValue() +
           " " + Field(dialog, firstField + 2).GetValue();
}

/// Answers to the toolkit's choosers, in the order they open.
using Choosers = std::vector<ModalScript::StandIn>;

/// A panel on a 400 x 300 layout whose page 2 has a plain background of kStart, shown.
class PageRig : public PanelRig {
  public:
    PageRig() {
        auto layout = SmallLayout();
        for (int page = 0; page <= layout->LastPage; ++page) {
            layout->Page(page).PageName = L"Page " + std::to_wstring(page);
            layout->Page(page).BackColor1 = kStartColour;
            layout->Page(page).BackColor2 = kStartColour;
        }
        folder.WritePicture("pic.png", 100, 100, kPicture);
        folder.WritePicture("other.png", 100, 100, wxColour(0, 0, 0));
        Start(*layout);
        Pump(150);
        TheState().CurrentPage = 2;
        Panel().View().LoadPage(2);
        Panel().View().DrawPage(2);
    }

    PageRecord& Page() { return TheLayout().Page(2); }
    /// The top and bottom rows of the page, away from the menu picture.
    wxColour Top() const { return panel->PagePixel(300, 0); }
    wxColour Bottom() const { return panel->PagePixel(300, 299); }
    /// The middle of the page, where a background picture goes.
    wxColour Middle() const { return panel->PagePixel(200, 150); }

    /// Shows the dialog modally; `step` runs in it once it is shown, and `choosers` answers
    /// the choosers it opens.
    void Open(std::function<void(wxDialog&)> step, const Choosers& choosers = {}) {
        ModalScript script;
        script.Then([step](wxDialog& dialog) {
            EXPECT_EQ(dialog.GetTitle(), "Page Settings");
            step(dialog);
        });
        for (const auto& chooser : choosers) {
            script.Return(chooser);
        }
        Panel().Dialogs().PageSettings().ShowModal();
        EXPECT_TRUE(script.Done());
    }
};

TEST(PageSettings, ShowsTheCurrentPageWithThreeDigitComponents) {
    PageRig rig;
    rig.Page().PageImage = L"pic.png";
    rig.Page().BackColor1 = 0xAB0800FF;  // the top byte is no component
    rig.Page().BackColor2 = 0x00000A;
    rig.Open([](wxDialog& d) {
        EXPECT_EQ(d.GetClientSize(), wxSize(300, 319));
        EXPECT_TRUE(d.HasFlag(wxSTAY_ON_TOP));
        EXPECT_TRUE(d.HasFlag(wxCLOSE_BOX));
        EXPECT_EQ(Field(d, PageDlg::ID_NAME).GetValue(), "Page 2");
        EXPECT_EQ(Field(d, PageDlg::ID_IMAGE).GetValue(), "pic.png");
        EXPECT_EQ(RowText(d, PageDlg::ID_RED1), "255 000 008");
        EXPECT_EQ(RowText(d, PageDlg::ID_RED2), "010 000 000");
        for (const char* label : {"Rot", "Grün", "Blau", "Pagename:", "Background Color"}) {
            EXPECT_NE(FindChild(d, wxString::FromUTF8(label), wxCLASSINFO(wxStaticText)), nullptr)
                << label;
        }
        ClickButton(d, "OK");
    });
}

TEST(PageSettings, SetShowsTheColoursAtOnceAndCancelPutsTheBackgroundBack) {
    PageRig rig;
    Choosers choosers;
    ASSERT_EQ(rig.Top(), kStart);
    choosers.push_back(  // the file chooser of "Sel"
        ModalScript::For<wxFileDialog>([](wxFileDialog&) { return wxID_CANCEL; }));
    rig.Open(
        [&rig](wxDialog& d) {
            TypeColour(d, PageDlg::ID_RED1, "255", "0", "0");
            ClickButton(d, PageDlg::ID_SET1);
            EXPECT_EQ(rig.Page().BackColor1, 0x0000FFu);
            EXPECT_TRUE(Near(rig.Top(), wxColour(255, 0, 0))) << rig.Top().GetAsString();
            EXPECT_TRUE(Near(rig.Bottom(), kStart));

            TypeColour(d, PageDlg::ID_RED2, "0", "0", "255");
            ClickButton(d, PageDlg::ID_SET2);
            EXPECT_EQ(rig.Page().BackColor2, 0xFF0000u);
            EXPECT_TRUE(Near(rig.Bottom(), wxColour(0, 0, 255))) << rig.Bottom().GetAsString();

            Field(d, PageDlg::ID_IMAGE).SetValue("pic.png");
            ClickButton(d, PageDlg::ID_SEL);
            EXPECT_EQ(rig.Page().PageImage, L"pic.png");
            EXPECT_EQ(rig.Middle(), kPicture);
            EXPECT_EQ(TheState().LayoutChanged, 0);

            Field(d, PageDlg::ID_NAME).SetValue("Renamed");
            ClickButton(d, "Cancel");
        },
        choosers);
    EXPECT_EQ(rig.Page().BackColor1, kStartColour);
    EXPECT_EQ(rig.Page().BackColor2, kStartColour);
    EXPECT_EQ(rig.Page().PageImage, L"");
    EXPECT_EQ(rig.Page().PageName, L"Page 2");
    EXPECT_EQ(TheState().LayoutChanged, 0);
    EXPECT_EQ(rig.Top(), kStart);
    EXPECT_EQ(rig.Bottom(), kStart);
    EXPECT_EQ(rig.Middle(), kStart);
}

TEST(PageSettings, ComponentsCarryAndBorrowOnThePage) {
    struct Case {
        const char* red;
        const char* green;
        const char* blue;
        Colour stored;
        wxColour shown;
    };
    PageRig rig;
    for (const Case& c : {Case{"256", "0", "0", 0x000100u, wxColour(0, 1, 0)},
                          Case{"-1", "0", "1", 0x00FFFFu, wxColour(255, 255, 0)},
                          Case{"12a", "", "x", 12u, wxColour(12, 0, 0)}}) {
        SCOPED_TRACE(c.red);
        rig.Open([&rig, &c](wxDialog& d) {
            // Both rows alike: the page is one plain colour, so the pixel is exact.
            TypeColour(d, PageDlg::ID_RED1, c.red, c.green, c.blue);
            TypeColour(d, PageDlg::ID_RED2, c.red, c.green, c.blue);
            ClickButton(d, PageDlg::ID_SET1);
            ClickButton(d, PageDlg::ID_SET2);
            EXPECT_EQ(rig.Page().BackColor1, c.stored);
            EXPECT_EQ(rig.Page().BackColor2, c.stored);
            EXPECT_EQ(rig.Middle(), c.shown);
            d.Close();
        });
    }
    // Shown again, the fields show the components the stored colour holds.
    rig.Open([](wxDialog& d) {
        EXPECT_EQ(RowText(d, PageDlg::ID_RED1), "012 000 000");
        d.Close();
    });
}

TEST(PageSettings, OkStoresNameAndPictureButNotColoursThatWereNotSet) {
    PageRig rig;
    rig.Open([](wxDialog& d) {
        Field(d, PageDlg::ID_NAME).SetValue("");
        Field(d, PageDlg::ID_IMAGE).SetValue("pic.png");
        TypeColour(d, PageDlg::ID_RED2, "10", "20", "30");
        ClickButton(d, "OK");
    });
    EXPECT_EQ(rig.Page().PageName, L"");
    EXPECT_EQ(rig.Page().PageImage, L"pic.png");
    EXPECT_EQ(rig.Page().BackColor2, kStartColour);
    EXPECT_EQ(TheState().LayoutChanged, 1);
    EXPECT_EQ(rig.Panel().GetTitle(), "");
    EXPECT_EQ(rig.Middle(), kPicture);
    EXPECT_EQ(rig.Bottom(), kStart);
}

TEST(PageSettings, SelPutsTheBareChosenNameAndAppliesTheFieldEvenWhenCancelled) {
    PageRig rig;
    Choosers choosers;
    const wxString folder = rig.folder.WidePath() + wxFileName::GetPathSeparator();
    wxFileDialog* firstChooser = nullptr;
    LayoutFolder samples;
    for (const char* name : {"a.png", "b.JPG", "c.bmp", "d.txt", "e.JPEG", "f.gif"}) {
        samples.Write(name, "");
    }
    choosers.push_back(ModalScript::For<wxFileDialog>([&](wxFileDialog& chooser) {
        firstChooser = &chooser;
        EXPECT_EQ(chooser.GetMessage(), "Select file");
        // Through the toolkit's own filter: every picture type, in any letter case.
        EXPECT_EQ(NamesTheChooserLists(chooser, samples.Path()),
                  (std::vector<std::string>{"TvxMenu.png", "a.png", "b.JPG", "c.bmp",
                                            "defaultButton.png", "e.JPEG"}));
        EXPECT_TRUE(chooser.HasFlag(wxFD_OPEN));
        EXPECT_TRUE(chooser.HasFlag(wxFD_CHANGE_DIR));
        EXPECT_EQ(chooser.GetDirectory(), folder);
        // Chosen in the layout folder: its bare name.
        chooser.SetPath(rig.folder.At("pic.png"));
        return wxID_OK;
    }));
    choosers.push_back(ModalScript::For<wxFileDialog>([&](wxFileDialog& chooser) {
        EXPECT_EQ(&chooser, firstChooser) << "one chooser for the whole run";
        return wxID_CANCEL;
    }));
    rig.Open(
        [&rig](wxDialog& d) {
            ClickButton(d, PageDlg::ID_SEL);
            EXPECT_EQ(Field(d, PageDlg::ID_IMAGE).GetValue(), "pic.png");
            EXPECT_EQ(rig.Page().PageImage, L"pic.png");
            EXPECT_EQ(rig.Middle(), kPicture);

            Field(d, PageDlg::ID_IMAGE).SetValue("other.png");
            ClickButton(d, PageDlg::ID_SEL);
            EXPECT_EQ(Field(d, PageDlg::ID_IMAGE).GetValue(), "other.png");
            EXPECT_EQ(rig.Page().PageImage, L"other.png");
            EXPECT_EQ(rig.Middle(), wxColour(0, 0, 0));
            d.Close();
        },
        choosers);
    // The close box keeps what "Sel" applied.
    EXPECT_EQ(rig.Page().PageImage, L"other.png");
    EXPECT_EQ(TheState().LayoutChanged, 0);
}

// A picture chosen elsewhere whose name the layout folder has for another picture: the user
// keeps the folder's, replaces it, or cancels, and the page shows what was decided at once.
TEST(PageSettings, APictureFromElsewhereAsksBeforeItReplacesTheFoldersOwn) {
    // Made before the panel and so removed after it: a chooser that showed the folder may
    // still be reading it, and the toolkit answers a folder gone meanwhile with a box of its own.
    LayoutFolder elsewhere;
    PageRig rig;
    const wxColour mine(20, 200, 60);
    elsewhere.WritePicture("pic.png", 100, 100, mine);
    const std::string theirs = rig.folder.Read("pic.png");
    const struct {
        Prompter::Answer answer;
        const char* field;
        const std::wstring image;
        wxColour shown;
        bool replaced;
    } cases[] = {
        {Prompter::Answer::Cancel, "", L"", kStart, false},
        {Prompter::Answer::No, "pic.png", L"pic.png", kPicture, false},
        {Prompter::Answer::Yes, "pic.png", L"pic.png", mine, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        rig.Page().PageImage.clear();
        rig.Panel().View().LoadPage(2);
        rig.Panel().View().DrawPage(2);
        rig.prompter.questions.clear();
        rig.prompter.labels.clear();
        rig.prompter.answers = {c.answer};
        rig.Open(
            [&](wxDialog& d) {
                ClickButton(d, PageDlg::ID_SEL);
                EXPECT_EQ(Field(d, PageDlg::ID_IMAGE).GetValue(), c.field);
                EXPECT_EQ(rig.Page().PageImage, c.image);
                EXPECT_TRUE(Near(rig.Middle(), c.shown)) << rig.Middle().GetAsString();
                ClickButton(d, "OK");
            },
            {ModalScript::For<wxFileDialog>([&](wxFileDialog& chooser) {
                chooser.SetPath(elsewhere.At("pic.png"));
                return wxID_OK;
            })});
        EXPECT_EQ(rig.prompter.questions,
                  std::vector<std::wstring>{L"The layout folder has another picture named "
                                            L"\"pic.png\".\n\nReplace it with the one you chose, "
                                            L"or keep the folder's own?"});
        EXPECT_EQ(rig.prompter.labels,
                  (std::vector<std::wstring>{L"Replace", L"Keep the folder's"}));
        EXPECT_EQ(rig.folder.Read("pic.png") == theirs, !c.replaced);
        EXPECT_TRUE(rig.prompter.messages.empty());
    }
}

TEST(PageSettings, ColorDlgStartsFromTheColourAndStoresTheChoiceWithoutAlpha) {
    PageRig rig;
    Choosers choosers;
    rig.Page().BackColor1 = 0xAB563412;
    choosers.push_back(ModalScript::For<wxColourDialog>([](wxColourDialog& chooser) {
        EXPECT_EQ(chooser.GetColourData().GetColour(), wxColour(0x12, 0x34, 0x56));
        ChooseColour(chooser, wxColour(0, 0, 255, 128));
        return wxID_OK;
    }));
    choosers.push_back(ModalScript::For<wxColourDialog>([](wxColourDialog& chooser) {
        ChooseColour(chooser, wxColour(255, 255, 255));
        return wxID_CANCEL;
    }));
    rig.Open(
        [&rig](wxDialog& d) {
            ClickButton(d, PageDlg::ID_COLOR_DLG1);
            EXPECT_EQ(rig.Page().BackColor1, 0xFF0000u);
            EXPECT_EQ(RowText(d, PageDlg::ID_RED1), "000 000 255");
            EXPECT_TRUE(Near(rig.Top(), wxColour(0, 0, 255))) << rig.Top().GetAsString();

            ClickButton(d, PageDlg::ID_COLOR_DLG2);
            EXPECT_EQ(rig.Page().BackColor2, kStartColour);
            EXPECT_EQ(RowText(d, PageDlg::ID_RED2), "016 032 048");
            ClickButton(d, "OK");
        },
        choosers);
    EXPECT_EQ(rig.Page().BackColor1, 0xFF0000u);
}

TEST(PageSettings, CloseBoxKeepsAppliedColoursButNotTheName) {
    PageRig rig;
    rig.Open([](wxDialog& d) {
        TypeColour(d, PageDlg::ID_RED1, "0", "255", "0");
        ClickButton(d, PageDlg::ID_SET1);
        Field(d, PageDlg::ID_NAME).SetValue("Renamed");
        d.Close();
    });
    EXPECT_EQ(rig.Page().BackColor1, 0x00FF00u);
    EXPECT_EQ(rig.Page().PageName, L"Page 2");
    EXPECT_EQ(TheState().LayoutChanged, 0);
    EXPECT_TRUE(Near(rig.Top(), wxColour(0, 255, 0)));

    // The next showing starts from the layout, and its "Cancel" undoes only its own changes.
    rig.Open([&rig](wxDialog& d) {
        EXPECT_EQ(Field(d, PageDlg::ID_NAME).GetValue(), "Page 2");
        EXPECT_EQ(RowText(d, PageDlg::ID_RED1), "000 255 000");
        TypeColour(d, PageDlg::ID_RED1, "1", "2", "3");
        ClickButton(d, PageDlg::ID_SET1);
        EXPECT_EQ(rig.Page().BackColor1, 0x030201u);
        ClickButton(d, "Cancel");
    });
    EXPECT_EQ(rig.Page().BackColor1, 0x00FF00u);
}

}  // namespace
