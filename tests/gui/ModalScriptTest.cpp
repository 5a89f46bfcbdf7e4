#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <wx/filedlg.h>

#include "ModalScript.h"

namespace {

// A step written for one type of dialog never runs on another: the test fails and the dialog
// is cancelled without being shown.
TEST(ModalScript, AStepForAnotherTypeOfDialogFailsTheTestAndCancelsTheDialog) {
    static int result = wxID_NONE;
    EXPECT_NONFATAL_FAILURE(
        {
            ModalScript script;
            script.Return<wxFileDialog>([](wxFileDialog&) { return wxID_OK; });
            wxDialog dialog(nullptr, wxID_ANY, "Plain");
            result = dialog.ShowModal();
        },
        "\"Plain\" is a wxDialog, not a wxFileDialog");
    EXPECT_EQ(result, wxID_CANCEL);
}

}  // namespace
