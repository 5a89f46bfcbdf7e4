#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/Layout.h"

/// How a value field of the layout file is written and read.
enum class FieldKind {
    Number,       ///< signed, at least `width` digits ("%.3d", "%.4d")
    ButtonCount,  ///< a Number the reader keeps within 0 ... kButtonSlots
    Hundredths,   ///< a factor written as a Number of hundredths, truncated toward zero
    Address,      ///< four three-digit Numbers, one blank apart
    Colour,       ///< unsigned 32 bits in exactly ten digits ("%.10u")
    Text,         ///< ISO-8859-1 to the end of the line
    EscapedText,  ///< Text with CR and LF escaped
};

/// One value field of a line: where it starts, counted from the character after the key (the
/// page and button numbers of the line come first), how many characters the reader takes (0:
/// the rest of the line) and the member of `Record` that holds it. Exactly the member of the
/// kind's type is set.
template <class Record>
struct FieldFormat {
    FieldKind kind;
    std::size_t position;
    std::size_t width;
    int Record::*number = nullptr;                  ///< Number, ButtonCount
    double Record::*factor = nullptr;               ///< Hundredths
    std::array<int, 4> Record::*address = nullptr;  ///< Address
    Colour Record::*colour = nullptr;               ///< Colour
    std::wstring Record::*text = nullptr;           ///< Text, EscapedText
};

/// One line of the layout file: its key, colon included, and its value fields in the order
/// they are written. A line the reader ignores is only written.
template <class Record>
struct LineFormat {
    std::string_view key;
    std::vector<FieldFormat<Record>> fields;
    bool read = true;
};

/// The layout file "tvxdef.ini" described once: a table of its lines, one row per key, from
/// which both the writer and the reader are made, and the escapes of the button texts.
///
/// The file is the header, the form lines, then for each page 0 ... LastPage a "Page:" line and
/// the page lines (led by the page number), and for each of its buttons a "Button:" line and
/// the button lines (led by page and button number), then "EndOfFile". Every line ends in CR LF.
/// The reader finds the keys anywhere in a line and cuts the fields at fixed places, so the
/// writer and the reader differ where a value does not fit its field.
class LayoutFormat {
  public:
    /// The lines of each kind in the order they are written; the reader tries their keys in
    /// the same order, form lines first.
    static const std::vector<LineFormat<FormSettings>>& FormLines();
    static const std::vector<LineFormat<PageRecord>>& PageLines();
    static const std::vector<LineFormat<ButtonRecord>>& ButtonLines();

    /// The keys the reader looks for, in the order it tries them.
    static const std::vector<std::string_view>& ReadKeys();

    /// The characters a store writes for one field of `record`, ISO-8859-1 encoded.
    template <class Record>
    static std::string FieldText(const FieldFormat<Record>& field, const Record& record);

    /// The exact bytes the store writes.
    static std::string FormatLayout(const Layout& layout);
    /// Applies the lines of a layout file's bytes to the layout, as the load does.
    static void ParseLayout(const std::string& bytes, Layout& layout);

    /// CR becomes "\d", LF becomes "\a".
    static std::wstring EscapeText(const std::wstring& text);
    /// "\d" becomes CR, "\a" becomes LF.
    static std::wstring UnescapeText(const std::wstring& text);
};
