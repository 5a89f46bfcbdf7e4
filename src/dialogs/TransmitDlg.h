#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <wx/textctrl.h>

#include "dialogs/StandardDlg.h"
#include "link/TransferProtocol.h"

class FieldPads;
class PanelDocument;
class ControllerLink;
class LayoutStore;
class wxGUIEventLoop;

/// Sends the panel's layout file, or every picture the layout uses, to another panel at
/// Transmit_IP. Each sending action stores the layout first and then sends one file after the
/// other, listing each name as it starts. While a file is on its way the dialog runs an event
/// loop of its own, nested in its modal run, that sleeps until the transfer is over or the user
/// breaks off with "OK", "Cancel" or the close box.
class TransmitDlg : public StandardDlg {
  public:
    TransmitDlg(wxWindow* parent, ControllerLink& link, LayoutStore& store, PanelDocument& document,
                FieldPads& pads);
    ~TransmitDlg() override;

    /// A modal run cannot end while the wait nested in it runs: ending it then breaks off the
    /// action and ends the run once the wait has returned.
    void EndModal(int retCode) override;

    /// 1 once "OK", "Cancel" or the close box broke off this showing of the dialog.
    int IsCancelled() const { return TransmitCancelled; }
    /// True while a sending action waits for a file.
    bool IsWaiting() const { return m_waitLoop != nullptr; }

    /// Tells the user what the transfer reports, in a message box.
    static void ShowNotice(TransferNotice notice, const std::wstring& path);

    /// Transmit_IP in the four fields and an empty status list.
    bool TransferDataToWindow() override;
    /// Octets 1 to 4 of Transmit_IP from the four fields, as typed.
    bool TransferDataFromWindow() override;

    enum {
        ID_ADDRESS_LABEL = wxID_HIGHEST + 1,
        ID_ADDRESS1,  ///< octets 1 to 4 of Transmit_IP
        ID_ADDRESS2,
        ID_ADDRESS3,
        ID_ADDRESS4,
        ID_STATUS,
        ID_TRANSMIT_LAYOUT,
        ID_TRANSMIT_PICTURE,
    };

  private:
    void OnTransmitLayout(wxCommandEvent& event);
    void OnTransmitPicture(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnShow(wxShowEvent& event);

    /// The common start of both actions: the address, the store and an empty status list.
    /// False when the layout could not be stored (the user has been told).
    bool BeginAction();
    /// How the sending of one file ended.
    enum class FileOutcome {
        Sent,
        Refused,    ///< too large for the transfer, or no file of the layout folder: nothing of it
                    ///< went, the action goes on
        BrokenOff,  ///< "OK", "Cancel" or the close box ended the whole action
    };

    /// One whole action: the store, then the files one after the other, then "OK" when all
    /// went out and nobody broke off, or which of them were refused.
    void SendFiles(const std::vector<std::wstring>& names);
    /// Sends one file and waits until it is over.
    FileOutcome SendFile(const std::wstring& name);
    /// Blocks on events until the file is over or the action is broken off.
    void Wait();
    /// What "OK", "Cancel" and a close during a wait have in common.
    void BreakOff();
    void SetSendingEnabled(bool enabled);

    std::array<wxTextCtrl*, 4> m_address{};
    wxTextCtrl* m_status = nullptr;
    int TransmitCancelled = 0;
    bool m_sending = false;
    bool m_fileOver = false;
    wxGUIEventLoop* m_waitLoop = nullptr;
    std::optional<int> m_endAfterWait;
    /// Shared with a running wait, which must not touch the dialog once it is gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    ControllerLink& m_link;
    LayoutStore& m_store;
    PanelDocument& m_document;
};
