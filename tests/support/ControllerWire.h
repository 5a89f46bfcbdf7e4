#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// What a controller reads from the panel, message by message: "P7" a press with `Taster` 7,
/// "R7" its release, "S" a state request, "?" a byte that starts none (a message cut or glued).
std::vector<std::string> ControllerMessages(const std::vector<std::uint8_t>& wire);

/// The presses in `messages` still without their release, in order; a release without its press
/// and a broken message are reported as failures of the test.
std::vector<std::string> ButtonsHeld(const std::vector<std::string>& messages);
