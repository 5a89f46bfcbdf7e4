#include "dialogs/TransmitDlg.h"

#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/stattext.h>

#include "dialogs/DialogControls.h"
#include "link/TransferSocket.h"
#include "model/File.h"
#include "model/Journal.h"
#include "model/Layout.h"
#include "model/NumberReading.h"
#include "model/PanelDocument.h"
#include "model/Paths.h"
#include "model/PictureList.h"
#include "model/Prompter.h"
#include "panel/ControllerLink.h"
#include "panel/LayoutStore.h"

namespace {

/// Whether the wait for a file may end: the file went out completely, or it was refused before
/// anything was sent (too large) and the action goes on with the next one. Any other failure
/// keeps the wait until the user breaks off.
bool FileIsOver(const TransferSocket& transfer, int state) {
    return state == TransferSocket::kDone ||
           (state == TransferSocket::kFailed && transfer.FileRefused());
}

/// The message at the end of an action: "OK" when every file went, else how many of them did
/// not and which.
std::wstring EndMessage(std::size_t files, const std::vector<std::wstring>& notSent) {
    if (notSent.empty()) {
        return L"OK";
    }
    wxString text;
    if (notSent.size() == 1) {
        text.Printf("OK, but 1 of %zu files was not sent:", files);
    } else {
        text.Printf("OK, but %zu of %zu files were not sent:", notSent.size(), files);
    }
    for (const std::wstring& name : notSent) {
        text << "\n" << name;
    }
    return text.ToStdWstring();
}

/// Tells the journal how an action ended: how many of its files went to `address`, which did
/// not (the first few), or that it was broken off.
void JournalTransfer(const std::array<int, 4>& address, std::size_t files, std::size_t tried,
                     const std::vector<std::wstring>& notSent, bool brokenOff) {
    std::string text = "transfer to " + std::to_string(address[0]) + "." +
                       std::to_string(address[1]) + "." + std::to_string(address[2]) + "." +
                       std::to_string(address[3]) + ": ";
    const std::size_t sent = tried - notSent.size();
    if (brokenOff) {
        text +=
            "broken off after " + std::to_string(sent) + " of " + std::to_string(files) + " files";
    } else {
        text += std::to_string(sent) + " of " + std::to_string(files) + " files sent";
    }
    constexpr std::size_t kNamesTold = 5;
    for (std::size_t i = 0; i < notSent.size() && i < kNamesTold; ++i) {
        text += (i == 0 ? "; not sent: " : ", ") + wxString(notSent[i]).utf8_string();
    }
    if (notSent.size() > kNamesTold) {
        text += " and " + std::to_string(notSent.size() - kNamesTold) + " more";
    }
    if (brokenOff || !notSent.empty()) {
        Journal().Warning(text);
    } else {
        Journal().Info(text);
    }
}

}  // namespace

void TransmitDlg::ShowNotice(TransferNotice notice, const std::wstring& path) {
    switch (notice) {
        case TransferNotice::PictureMissing:
            GetPrompter().ShowMessage(L"Datei nicht vorhanden:\n" + path);
            return;
        case TransferNotice::CannotConnect:
            GetPrompter().ShowMessage(L"Error Client Open");
            return;
        case TransferNotice::TooLarge:
            GetPrompter().ShowMessage(L"Datei zu gro\u00df:\n" + path);
            return;
        case TransferNotice::Failed:
            GetPrompter().ShowMessage(L"Error");
            return;
    }
}

TransmitDlg::TransmitDlg(wxWindow* parent, ControllerLink& link, LayoutStore& store,
                         PanelDocument& document, FieldPads& pads)
    : StandardDlg(parent, "Transmit"), m_link(link), m_store(store), m_document(document) {
    new wxStaticText(this, ID_ADDRESS_LABEL, "IP-Transmit Address", wxPoint(8, 16),
                     wxSize(160, 16));
    for (std::size_t octet = 0; octet < m_address.size(); ++octet) {
        // Three characters can be typed; a longer octet from the layout is shown whole, so
        // that what is sent to is what the user sees.
        const int i = static_cast<int>(octet);
        m_address[octet] = NewLimitedField(this, ID_ADDRESS1 + i, wxPoint(8 + 48 * i, 40),
                                           wxSize(40, 24), 3, FieldInput::Number, pads);
    }
    new wxButton(this, ID_TRANSMIT_LAYOUT, "Store && Transmit Layout", wxPoint(8, 80),
                 wxSize(184, 40));
    new wxButton(this, ID_TRANSMIT_PICTURE, "Store && Transmit Picture", wxPoint(8, 136),
                 wxSize(184, 40));
    new wxButton(this, wxID_CANCEL, "Cancel", wxPoint(16, 200), wxSize(75, 40));
    new wxButton(this, wxID_OK, "OK", wxPoint(104, 200), wxSize(75, 40));
    m_status = new wxTextCtrl(this, ID_STATUS, wxEmptyString, wxPoint(216, 8), wxSize(208, 232),
                              wxTE_MULTILINE | wxTE_READONLY);
    Place(wxSize(446, 264), Centring::OverParent);

    Bind(wxEVT_BUTTON, &TransmitDlg::OnTransmitLayout, this, ID_TRANSMIT_LAYOUT);
    Bind(wxEVT_BUTTON, &TransmitDlg::OnTransmitPicture, this, ID_TRANSMIT_PICTURE);
    Bind(wxEVT_BUTTON, &TransmitDlg::OnCancel, this, wxID_CANCEL);
    Bind(wxEVT_BUTTON, &TransmitDlg::OnOk, this, wxID_OK);
    Bind(wxEVT_CLOSE_WINDOW, &TransmitDlg::OnClose, this);
    Bind(wxEVT_SHOW, &TransmitDlg::OnShow, this);
}

TransmitDlg::~TransmitDlg() {
    *m_alive = false;
    if (m_waitLoop != nullptr) {
        m_waitLoop->ScheduleExit();
    }
}

void TransmitDlg::OnShow(wxShowEvent& event) {
    // However the dialog goes out of sight, a wait must not go on behind it.
    if (!event.IsShown() && IsWaiting()) {
        BreakOff();
    }
    event.Skip();
}

bool TransmitDlg::TransferDataToWindow() {
    const std::array<int, 4>& address = m_document.Layout().Form.Transmit_IP;
    for (std::size_t octet = 0; octet < m_address.size(); ++octet) {
        m_address[octet]->ChangeValue(wxString::Format("%d", address[octet]));
    }
    m_status->Clear();
    // A new showing: nothing of it has been broken off yet.
    TransmitCancelled = 0;
    return true;
}

bool TransmitDlg::TransferDataFromWindow() {
    // The new address reaches the file only with the next store: LayoutChanged stays as it is.
    std::array<int, 4>& address = m_document.Layout().Form.Transmit_IP;
    for (std::size_t octet = 0; octet < m_address.size(); ++octet) {
        address[octet] = ReadWideInt(m_address[octet]->GetValue().ToStdWstring());
    }
    return true;
}

bool TransmitDlg::BeginAction() {
    TransferDataFromWindow();
    // Sending what is on the disk when the panel's own layout could not be written there would
    // give the other panel something the user never saw: a failed store ends the action.
    if (!m_store.StoreLayoutAndReport()) {
        return false;
    }
    m_status->Clear();
    return true;
}

void TransmitDlg::OnTransmitLayout(wxCommandEvent&) {
    SendFiles({File::kLayoutFileName});
}

void TransmitDlg::OnTransmitPicture(wxCommandEvent&) {
    SendFiles(PictureList(m_document.Layout()));
}

void TransmitDlg::SendFiles(const std::vector<std::wstring>& names) {
    // The buttons stay usable during a wait; a second action must not start inside the first.
    if (m_sending) {
        return;
    }
    m_sending = true;
    SetSendingEnabled(false);
    const std::shared_ptr<bool> alive = m_alive;
    bool done = BeginAction();
    if (!done) {
        Journal().Warning("transfer not started: the layout could not be stored");
    }
    const bool begun = done;
    std::vector<std::wstring> notSent;
    std::size_t tried = 0;
    for (auto name = names.begin(); done && name != names.end(); ++name) {
        const FileOutcome outcome = SendFile(*name);
        done = outcome != FileOutcome::BrokenOff;
        if (outcome == FileOutcome::Refused) {
            notSent.push_back(*name);
        }
        tried += outcome != FileOutcome::BrokenOff ? 1 : 0;
    }
    if (begun) {
        JournalTransfer(m_document.Layout().Form.Transmit_IP, names.size(), tried, notSent, !done);
    }
    if (!*alive) {
        return;
    }
    m_sending = false;
    SetSendingEnabled(true);
    if (done) {
        GetPrompter().ShowMessage(EndMessage(names.size(), notSent));
    }
}

TransmitDlg::FileOutcome TransmitDlg::SendFile(const std::wstring& name) {
    TransferSocket* transfer = m_link.Transfer();
    wxCHECK_MSG(transfer != nullptr, FileOutcome::BrokenOff,
                "the transfer exists once the panel has been shown");

    // A layout written elsewhere may name a file outside its folder: that is never read.
    if (!IsBareFileName(name)) {
        m_status->AppendText(wxString(name) + " - not sent: not a file of the layout folder\n");
        return FileOutcome::Refused;
    }
    m_status->AppendText(wxString(name) + "\n");
    m_fileOver = false;
    transfer->SetNoticeListener(&TransmitDlg::ShowNotice);
    transfer->SetStateListener([this, transfer](int state) {
        if (FileIsOver(*transfer, state)) {
            m_fileOver = true;
            if (m_waitLoop != nullptr) {
                m_waitLoop->ScheduleExit();
            }
        }
    });
    const std::shared_ptr<bool> alive = m_alive;
    // A message box shown while starting runs the event loop: the file may be over, or the
    // action broken off, before the wait begins.
    transfer->StartTransfer(m_document.Layout(), name);
    if (*alive && TransmitCancelled == 0 && !m_fileOver &&
        !FileIsOver(*transfer, transfer->TransferState())) {
        Wait();
    }
    if (!*alive) {
        return FileOutcome::BrokenOff;
    }
    transfer->SetStateListener(nullptr);
    if (TransmitCancelled != 0) {
        return FileOutcome::BrokenOff;
    }
    return transfer->FileRefused() ? FileOutcome::Refused : FileOutcome::Sent;
}

void TransmitDlg::Wait() {
    const std::shared_ptr<bool> alive = m_alive;
    wxGUIEventLoop loop;
    m_waitLoop = &loop;
    loop.Run();
    if (!*alive) {
        return;
    }
    m_waitLoop = nullptr;
    // The modal run could not end while the wait ran on top of it; it ends now.
    if (m_endAfterWait) {
        const int code = *m_endAfterWait;
        m_endAfterWait.reset();
        if (IsModal()) {
            wxDialog::EndModal(code);
        }
    }
}

void TransmitDlg::BreakOff() {
    TransmitCancelled = 1;
    if (TransferSocket* transfer = m_link.Transfer()) {
        transfer->Close();
    }
    if (m_waitLoop != nullptr) {
        m_waitLoop->ScheduleExit();
    }
}

void TransmitDlg::EndModal(int retCode) {
    if (m_waitLoop != nullptr) {
        BreakOff();
        m_endAfterWait = retCode;
        return;
    }
    wxDialog::EndModal(retCode);
}

void TransmitDlg::OnCancel(wxCommandEvent&) {
    BreakOff();
    EndDialog(wxID_CANCEL);
}

void TransmitDlg::OnOk(wxCommandEvent& event) {
    BreakOff();
    // The toolkit's "OK" goes on: it takes the address over and ends the dialog.
    event.Skip();
}

void TransmitDlg::OnClose(wxCloseEvent&) {
    // During a wait the close box breaks off like "Cancel"; otherwise it only closes.
    if (IsWaiting()) {
        BreakOff();
    }
    EndDialog(wxID_CANCEL);
}

void TransmitDlg::SetSendingEnabled(bool enabled) {
    for (const int id : {ID_TRANSMIT_LAYOUT, ID_TRANSMIT_PICTURE}) {
        if (wxWindow* button = FindWindow(id)) {
            button->Enable(enabled);
        }
    }
}
