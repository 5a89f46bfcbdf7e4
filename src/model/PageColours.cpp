#include "model/PageColours.h"

#include <cstdint>

#include "model/ButtonEditing.h"
#include "model/NumberReading.h"

ColourFields ColourFieldsOf(Colour colour) {
    return ColourFields{ThreeDigits(RedOf(colour)), ThreeDigits(GreenOf(colour)),
                        ThreeDigits(BlueOf(colour))};
}

Colour ColourOfComponents(long long red, long long green, long long blue) {
    // Unsigned arithmetic: the wrap of a negative or oversized sum is defined.
    const auto sum = static_cast<std::uint64_t>(red) + static_cast<std::uint64_t>(green) * 256u +
                     static_cast<std::uint64_t>(blue) * 65536u;
    return static_cast<Colour>(sum);
}

Colour ColourOfFields(const ColourFields& fields) {
    return ColourOfComponents(ReadWideInt(fields.red), ReadWideInt(fields.green),
                              ReadWideInt(fields.blue));
}
