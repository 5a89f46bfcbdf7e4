#pragma once

#include <string>
#include <vector>

#include "model/Layout.h"

/// Why a file goes out with the bytes of the default button picture, as a panel's picture lookup
/// decides it.
enum class StandIn {
    None,       ///< the file itself is sent
    Missing,    ///< there is no such file in the folder
    ShortName,  ///< the name is too short to name a picture of its own
    Outside,    ///< the name leads out of the folder: nothing is sent for it
};

/// One file to send: the name it goes under and the file its bytes come from.
struct PlannedFile {
    std::wstring name;  ///< on the wire, exactly as the layout has it
    /// Native path of the bytes; empty when not even the default button picture is there.
    std::string path;
    StandIn standIn = StandIn::None;
};

/// What a panel's transmit dialog sends when "Store && Transmit Layout" is followed by
/// "Store && Transmit Picture": "tvxdef.ini", then the layout's picture list in its order. Each
/// name is looked up in the layout folder as a panel does it. Then the menu picture and the
/// default button picture, when the folder has them and the list does not name them: a panel
/// set up from a PC gets everything it needs to start.
std::vector<PlannedFile> MakeSendPlan(const Layout& layout);
