#include "model/LayoutFormat.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "model/NumberReading.h"

namespace {

using F = FormSettings;
using P = PageRecord;
using B = ButtonRecord;

// The fields of the table, one builder per kind; a kind of fixed width (ButtonCount, Address,
// Colour) or none (the texts) states it here.

template <class R>
FieldFormat<R> Number(std::size_t position, std::size_t width, int R::*member) {
    FieldFormat<R> field{FieldKind::Number, position, width};
    field.number = member;
    return field;
}

template <class R>
FieldFormat<R> ButtonCount(std::size_t position, int R::*member) {
    FieldFormat<R> field{FieldKind::ButtonCount, position, 3};
    field.number = member;
    return field;
}

template <class R>
FieldFormat<R> Hundredths(std::size_t position, std::size_t width, double R::*member) {
    FieldFormat<R> field{FieldKind::Hundredths, position, width};
    field.factor = member;
    return field;
}

template <class R>
FieldFormat<R> Address(std::size_t position, std::array<int, 4> R::*member) {
    FieldFormat<R> field{FieldKind::Address, position, 15};
    field.address = member;
    return field;
}

template <class R>
FieldFormat<R> ColourOf(std::size_t position, Colour R::*member) {
    FieldFormat<R> field{FieldKind::Colour, position, 10};
    field.colour = member;
    return field;
}

template <class R>
FieldFormat<R> Text(std::size_t position, std::wstring R::*member) {
    FieldFormat<R> field{FieldKind::Text, position, 0};
    field.text = member;
    return field;
}

template <class R>
FieldFormat<R> EscapedText(std::size_t position, std::wstring R::*member) {
    FieldFormat<R> field{FieldKind::EscapedText, position, 0};
    field.text = member;
    return field;
}

// ---------------------------------------------------------------------------------------------
// Writing

void AppendFormatted(std::string& out, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

void AppendFormatted(std::string& out, const char* format, ...) {
    char buffer[160];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length > 0) {
        out.append(buffer, std::min(static_cast<std::size_t>(length), sizeof buffer - 1));
    }
}

/// One byte per character; a character the file's ISO-8859-1 cannot hold becomes '?'.
void AppendLatin1(std::string& out, const std::wstring& text) {
    for (wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        out += code <= 0xFF ? static_cast<char>(code) : '?';
    }
}

/// The scale factor goes to the file in hundredths, truncated toward zero. A value that is
/// a whole number of hundredths but not exactly representable (0.29 * 100 = 28.999...) must
/// still give that number, so that what was read writes back unchanged.
int ScalefactorHundredths(double factor) {
    if (std::isnan(factor)) {
        return 0;
    }
    const double hundredths = factor * 100.0;
    const double nearest = std::round(hundredths);
    const double kept = std::fabs(hundredths - nearest) < 1e-7 ? nearest : std::trunc(hundredths);
    if (kept >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (kept <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(kept);
}

template <class R>
void AppendField(std::string& out, const FieldFormat<R>& field, const R& record) {
    const int digits = static_cast<int>(field.width);
    switch (field.kind) {
        case FieldKind::Number:
        case FieldKind::ButtonCount:
            AppendFormatted(out, "%.*d", digits, record.*field.number);
            break;
        case FieldKind::Hundredths:
            AppendFormatted(out, "%.*d", digits, ScalefactorHundredths(record.*field.factor));
            break;
        case FieldKind::Address: {
            const std::array<int, 4>& octets = record.*field.address;
            AppendFormatted(out, "%.3d %.3d %.3d %.3d", octets[0], octets[1], octets[2], octets[3]);
            break;
        }
        case FieldKind::Colour:
            AppendFormatted(out, "%.*u", digits, static_cast<unsigned>(record.*field.colour));
            break;
        case FieldKind::Text:
            AppendLatin1(out, record.*field.text);
            break;
        case FieldKind::EscapedText:
            AppendLatin1(out, LayoutFormat::EscapeText(record.*field.text));
            break;
    }
}

/// A whole line: the key, the page and button numbers of the line as `numbers` has them
/// written, the fields one blank apart, the line end.
template <class R>
void AppendLine(std::string& out, const LineFormat<R>& line, const std::string& numbers,
                const R& record) {
    out += line.key;
    out += numbers;
    for (std::size_t i = 0; i < line.fields.size(); ++i) {
        if (i > 0) {
            out += ' ';
        }
        AppendField(out, line.fields[i], record);
    }
    out += "\r\n";
}

// ---------------------------------------------------------------------------------------------
// Reading

std::wstring FromLatin1(std::string_view bytes) {
    std::wstring text(bytes.size(), L'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
    }
    return text;
}

/// The value fields of one line, cut at offsets counted from the character after the key.
/// The line still ends with its CR.
class Fields {
  public:
    Fields(std::string_view line, std::size_t base) : m_line(line), m_base(base) {}

    /// A fixed-width field; shortened at the end of the line, empty when it starts past it.
    std::string_view Cut(std::size_t offset, std::size_t width) const {
        const std::size_t start = m_base + offset;
        return start >= m_line.size() ? std::string_view{} : m_line.substr(start, width);
    }
    int Number(std::size_t offset, std::size_t width) const {
        return ReadLatin1Int(Cut(offset, width));
    }
    /// From the offset to the end of the line, without the final CR.
    std::wstring Rest(std::size_t offset) const {
        const std::size_t start = m_base + offset;
        const std::size_t end = m_line.size() - 1;
        return start >= end ? std::wstring{} : FromLatin1(m_line.substr(start, end - start));
    }

  private:
    std::string_view m_line;
    std::size_t m_base;
};

template <class R>
void ReadFields(const LineFormat<R>& line, const Fields& f, R& record) {
    for (const FieldFormat<R>& field : line.fields) {
        const std::size_t at = field.position;
        switch (field.kind) {
            case FieldKind::Number:
                record.*field.number = f.Number(at, field.width);
                break;
            case FieldKind::ButtonCount:
                // A page has no more buttons than slots, and no fewer than none.
                record.*field.number = std::clamp(f.Number(at, field.width), 0, kButtonSlots);
                break;
            case FieldKind::Hundredths:
                record.*field.factor = f.Number(at, field.width) / 100.0;
                break;
            case FieldKind::Address:
                for (std::size_t i = 0; i < 4; ++i) {
                    (record.*field.address)[i] = f.Number(at + 4 * i, 3);
                }
                break;
            case FieldKind::Colour:
                record.*field.colour =
                    static_cast<Colour>(ReadLatin1Unsigned32(f.Cut(at, field.width)));
                break;
            case FieldKind::Text:
                record.*field.text = f.Rest(at);
                break;
            case FieldKind::EscapedText:
                record.*field.text = LayoutFormat::UnescapeText(f.Rest(at));
                break;
        }
    }
}

/// A line the reader looks for, with the one table row it stands in.
struct ReadLine {
    const LineFormat<FormSettings>* form = nullptr;
    const LineFormat<PageRecord>* page = nullptr;
    const LineFormat<ButtonRecord>* button = nullptr;
};

/// The read lines in the order the reader tries their keys: form, page, then button lines.
const std::vector<ReadLine>& ReadLines() {
    static const std::vector<ReadLine> lines = [] {
        std::vector<ReadLine> all;
        for (const auto& line : LayoutFormat::FormLines()) {
            if (line.read) {
                all.push_back({&line, nullptr, nullptr});
            }
        }
        for (const auto& line : LayoutFormat::PageLines()) {
            if (line.read) {
                all.push_back({nullptr, &line, nullptr});
            }
        }
        for (const auto& line : LayoutFormat::ButtonLines()) {
            if (line.read) {
                all.push_back({nullptr, nullptr, &line});
            }
        }
        return all;
    }();
    return lines;
}

/// Applies one line the reader found to the record its page and button numbers name; a line
/// that names no slot of the tables is skipped.
void ApplyLine(const ReadLine& read, const Fields& f, Layout& layout) {
    if (read.form != nullptr) {
        ReadFields(*read.form, f, layout.Form);
        return;
    }
    const int page = f.Number(0, 3);
    if (!Layout::IsPageSlot(page)) {
        return;
    }
    if (read.page != nullptr) {
        ReadFields(*read.page, f, layout.Page(page));
        return;
    }
    const int button = f.Number(4, 3);
    if (Layout::IsButtonSlot(button)) {
        ReadFields(*read.button, f, layout.Button(page, button));
    }
}

/// The read keys grouped by the character before their colon, so that at a colon of a line
/// only the keys that can end there are tried.
class KeyIndex {
  public:
    explicit KeyIndex(const std::vector<std::string_view>& keys) : m_keys(keys) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            m_endingIn[static_cast<unsigned char>(keys[k][keys[k].size() - 2])].push_back(k);
        }
    }

    /// Finds the first occurrence of every key; `found` gets, for each key, where its value
    /// fields start after it, or npos. Every key ends with its colon, so a key can only end at
    /// a colon of the line: trying the keys at the colons from left to right gives the same
    /// first occurrences as searching the whole line for each key, in a fraction of the time.
    void FindKeys(std::string_view line, std::vector<std::size_t>& found) const {
        std::fill(found.begin(), found.end(), std::string_view::npos);
        std::size_t missing = m_keys.size();
        for (std::size_t colon = line.find(':'); colon != std::string_view::npos && missing > 0;
             colon = line.find(':', colon + 1)) {
            if (colon == 0) {
                continue;
            }
            const std::size_t after = colon + 1;
            for (const std::size_t k : m_endingIn[static_cast<unsigned char>(line[colon - 1])]) {
                const std::string_view key = m_keys[k];
                if (found[k] == std::string_view::npos && key.size() <= after &&
                    line.compare(after - key.size(), key.size(), key) == 0) {
                    found[k] = after;
                    --missing;
                }
            }
        }
    }

  private:
    const std::vector<std::string_view>& m_keys;
    std::array<std::vector<std::size_t>, 256> m_endingIn;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The table. Page lines start with the page number (position 0, three characters), button
// lines with the page and the button number (positions 0 and 4); the values follow, one blank
// apart.

const std::vector<LineFormat<FormSettings>>& LayoutFormat::FormLines() {
    static const std::vector<LineFormat<FormSettings>> lines = {
        {"Form_Password:", {Text(0, &F::Form_Password)}},
        {"Destination_IP:", {Address(0, &F::Destination_IP)}},
        {"Transmit_IP:", {Address(0, &F::Transmit_IP)}},
        {"Form_GridX_GridY:", {Number(0, 3, &F::GridX), Number(4, 3, &F::GridY)}},
        {"Form_SizeX_SizeY:", {Number(0, 4, &F::SizeX), Number(5, 4, &F::SizeY)}},
        {"Form_PageStart:", {Number(0, 3, &F::Form_PageStart)}},
        {"Form_Scalefactor:", {Hundredths(0, 4, &F::Form_Scalefactor)}},
        {"Form_FullScreen:", {Number(0, 3, &F::Form_FullScreen)}},
        {"Form_ConnectModus:", {Number(0, 3, &F::Form_ConnectModus)}},
        {"Form_Orientation:", {Number(0, 3, &F::Form_Orientation)}, false},
        {"Display_Off:", {Number(0, 3, &F::Display_Off)}},
        {"Display_Off_Dim:", {Number(0, 3, &F::Display_Off_Dim)}},
        {"Display_Bright:", {Number(0, 3, &F::Display_Bright)}},
        {"Display_Bright_Dim:", {Number(0, 3, &F::Display_Bright_Dim)}},
    };
    return lines;
}

const std::vector<LineFormat<PageRecord>>& LayoutFormat::PageLines() {
    static const std::vector<LineFormat<PageRecord>> lines = {
        {"Page_Button_Last:", {ButtonCount(4, &P::Button_Last)}},
        {"Page_PageName:", {Text(4, &P::PageName)}},
        {"Page_PageImage:", {Text(4, &P::PageImage)}},
        {"Page_BackColor1_BackColor2:",
         {ColourOf(4, &P::BackColor1), ColourOf(15, &P::BackColor2)}},
    };
    return lines;
}

const std::vector<LineFormat<ButtonRecord>>& LayoutFormat::ButtonLines() {
    static const std::vector<LineFormat<ButtonRecord>> lines = {
        {"Page_Button_PosX_PosY:", {Number(8, 4, &B::PosX), Number(13, 4, &B::PosY)}},
        {"Page_Button_Text_On:", {EscapedText(8, &B::Text_On)}},
        {"Page_Button_Text_Off:", {EscapedText(8, &B::Text_Off)}},
        {"Page_Button_Font_Style:", {Number(8, 3, &B::Font_Style)}},
        {"Page_Button_Font_HorizAlign:", {Number(8, 3, &B::Font_HorizAlign)}},
        {"Page_Button_Font_Size:", {Number(8, 3, &B::Font_Size)}},
        {"Page_Button_Font_Family:", {Text(8, &B::Font_Family)}},
        {"Page_Button_Font_Color:", {ColourOf(8, &B::Font_Color)}},
        {"Page_Button_Led:", {Number(8, 3, &B::Led)}},
        {"Page_Button_Taster:", {Number(8, 3, &B::Taster)}},
        {"Page_Button_Image_File_Off:", {Text(8, &B::Image_File_Off)}},
        {"Page_Button_Image_File_Press:", {Text(8, &B::Image_File_Press)}},
        {"Page_Button_Image_File_On:", {Text(8, &B::Image_File_On)}},
        {"Page_Button_Pageflip:", {Number(8, 3, &B::Pageflip)}},
        {"Page_Button_Inaktiv:", {Number(8, 3, &B::Inaktiv)}},
    };
    return lines;
}

const std::vector<std::string_view>& LayoutFormat::ReadKeys() {
    static const std::vector<std::string_view> keys = [] {
        std::vector<std::string_view> all;
        for (const ReadLine& line : ReadLines()) {
            all.push_back(line.form   ? line.form->key
                          : line.page ? line.page->key
                                      : line.button->key);
        }
        return all;
    }();
    return keys;
}

template <class Record>
std::string LayoutFormat::FieldText(const FieldFormat<Record>& field, const Record& record) {
    std::string text;
    AppendField(text, field, record);
    return text;
}

template std::string LayoutFormat::FieldText(const FieldFormat<FormSettings>&, const FormSettings&);
template std::string LayoutFormat::FieldText(const FieldFormat<PageRecord>&, const PageRecord&);
template std::string LayoutFormat::FieldText(const FieldFormat<ButtonRecord>&, const ButtonRecord&);

std::string LayoutFormat::FormatLayout(const Layout& layout) {
    std::string out;
    out.reserve(1u << 20);

    out += "Tolvamix :-)\r\n";
    for (const auto& line : FormLines()) {
        AppendLine(out, line, "", layout.Form);
    }
    std::string numbers;
    const int last_page = std::min(layout.LastPage, kPageSlots - 1);
    for (int p = 0; p <= last_page; ++p) {
        const PageRecord& page = layout.Page(p);
        AppendFormatted(
            out, "Page:%.3d ---------------------------------------------------------------\r\n",
            p);
        numbers.clear();
        AppendFormatted(numbers, "%.3d ", p);
        for (const auto& line : PageLines()) {
            AppendLine(out, line, numbers, page);
        }
        const int buttons = std::clamp(page.Button_Last, 0, kButtonSlots);
        for (int b = 0; b < buttons; ++b) {
            AppendFormatted(out, "Button:%.3d --------------\r\n", b);
            numbers.clear();
            AppendFormatted(numbers, "%.3d %.3d ", p, b);
            for (const auto& line : ButtonLines()) {
                AppendLine(out, line, numbers, layout.Button(p, b));
            }
        }
    }
    out += "EndOfFile\r\n";
    return out;
}

void LayoutFormat::ParseLayout(const std::string& bytes, Layout& layout) {
    // Lines as the reader sees them: zero bytes gone, each line up to and including its CR,
    // the byte after every CR dropped unseen, anything after the last CR no line at all.
    std::string text(bytes.size(), '\0');
    char* out = text.data();
    std::vector<std::size_t> line_ends;
    const char* from = bytes.data();
    const char* const end = from + bytes.size();
    while (from < end) {
        const auto* cr =
            static_cast<const char*>(std::memchr(from, '\r', static_cast<std::size_t>(end - from)));
        if (cr == nullptr) {
            break;
        }
        while (from <= cr) {
            const auto* zero = static_cast<const char*>(
                std::memchr(from, '\0', static_cast<std::size_t>(cr + 1 - from)));
            const char* stop = zero != nullptr ? zero : cr + 1;
            std::memcpy(out, from, static_cast<std::size_t>(stop - from));
            out += stop - from;
            from = stop + (zero != nullptr ? 1 : 0);
        }
        line_ends.push_back(static_cast<std::size_t>(out - text.data()));
        from = end - cr > 2 ? cr + 2 : end;
    }
    text.resize(static_cast<std::size_t>(out - text.data()));

    const std::vector<ReadLine>& lines = ReadLines();
    const std::vector<std::string_view>& keys = ReadKeys();
    static const KeyIndex index(keys);
    std::vector<std::size_t> found(keys.size());
    const std::string_view all(text);
    std::size_t start = 0;
    for (const std::size_t line_end : line_ends) {
        const std::string_view line = all.substr(start, line_end - start);
        start = line_end;
        index.FindKeys(line, found);
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (found[k] != std::string_view::npos) {
                ApplyLine(lines[k], Fields(line, found[k]), layout);
            }
        }
    }
}

std::wstring LayoutFormat::EscapeText(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t c : text) {
        if (c == L'\r') {
            escaped += L"\\d";
        } else if (c == L'\n') {
            escaped += L"\\a";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::wstring LayoutFormat::UnescapeText(const std::wstring& text) {
    // A replaced pair becomes a CR or LF, which never starts another pair, so one pass over
    // the positions with "\d" tried before "\a" gives the same as replacing in place.
    std::wstring plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'd') {
            plain += L'\r';
            ++i;
        } else if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'a') {
            plain += L'\n';
            ++i;
        } else {
            plain += text[i];
        }
    }
    return plain;
}
