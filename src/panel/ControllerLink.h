#pragma once

class TransferSocket;

/// What the touch input and the dialogs ask of the controller link and the transfer.
class ControllerLink {
  public:
    /// The selected button's press and release on the controller link. A touch whose press or
    /// release the link dropped (it is down) is cued on its button after the release.
    virtual void SendPress() = 0;
    virtual void SendRelease() = 0;
    /// Connects the controller link anew to the address and mode of the layout, at once.
    virtual void Relink() = 0;
    /// The transfer of layout and pictures to another panel, once the panel has been shown.
    virtual TransferSocket* Transfer() const = 0;

  protected:
    ~ControllerLink() = default;
};
