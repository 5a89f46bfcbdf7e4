// Buttons for the unit and the window tests: samples whose fields all differ, and the
// comparison and printing that name the field a failed check found different.
#pragma once

#include <array>
#include <ostream>
#include <string>

#include "model/Layout.h"
#include "model/StyleCopy.h"

/// A button with every field set, numbered `n`: two samples with consecutive numbers differ in
/// every field. The off text has two lines; the lamp is `n`, the bus value 300 + `n`.
ButtonRecord SampleButton(int n);

/// Every field equal.
bool operator==(const ButtonRecord& a, const ButtonRecord& b);
inline bool operator!=(const ButtonRecord& a, const ButtonRecord& b) {
    return !(a == b);
}
/// Every field by name, for the message of a failed check.
void PrintTo(const ButtonRecord& b, std::ostream* out);

/// The fields of each group a style copy takes, one text per group (Inaktiv is in none).
std::array<std::wstring, StyleGroups::Count> StyleGroupsOf(const ButtonRecord& b);
