#pragma once

/// Stores the layout for the menu's "Store" and for the transmit dialog.
class LayoutStore {
  public:
    /// Writes the layout file and tells the user when that did not work; true once the new file
    /// is in place.
    virtual bool StoreLayoutAndReport() = 0;

  protected:
    ~LayoutStore() = default;
};
