#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "model/Layout.h"
#include "model/LayoutFormat.h"

namespace {

std::string SourceFile(const std::string& name) {
    std::ifstream in(std::string(TVX_SOURCE_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// The reader cuts each field where the writer puts it: after the page and button numbers of
/// the line, one blank after the field before; a text runs to the end of the line, so it is
/// the last field.
template <class Record>
void ExpectFieldsWhereTheWriterPutsThem(const std::vector<LineFormat<Record>>& lines,
                                        std::size_t numbers) {
    for (const LineFormat<Record>& line : lines) {
        SCOPED_TRACE(std::string(line.key));
        ASSERT_FALSE(line.fields.empty());
        EXPECT_EQ(line.key.back(), ':');
        std::size_t position = numbers;
        for (std::size_t i = 0; i < line.fields.size(); ++i) {
            const FieldFormat<Record>& field = line.fields[i];
            EXPECT_EQ(field.position, position) << "field " << i;
            EXPECT_TRUE(field.width > 0 || i + 1 == line.fields.size()) << "field " << i;
            position += field.width + 1;
        }
    }
}

TEST(LayoutFormat, EveryFieldStandsWhereTheWriterPutsIt) {
    ExpectFieldsWhereTheWriterPutsThem(LayoutFormat::FormLines(), 0);
    ExpectFieldsWhereTheWriterPutsThem(LayoutFormat::PageLines(), 4);
    ExpectFieldsWhereTheWriterPutsThem(LayoutFormat::ButtonLines(), 8);
}

TEST(LayoutFormat, ReadsEveryKeyItWritesButTheOrientation) {
    std::vector<std::string_view> written;
    for (const auto& line : LayoutFormat::FormLines()) {
        if (line.key != "Form_Orientation:") {
            written.push_back(line.key);
        }
    }
    for (const auto& line : LayoutFormat::PageLines()) {
        written.push_back(line.key);
    }
    for (const auto& line : LayoutFormat::ButtonLines()) {
        written.push_back(line.key);
    }
    EXPECT_EQ(LayoutFormat::ReadKeys(), written);
}

// The fuzzer's dictionary cannot be made from the table; this keeps it from falling behind.
TEST(LayoutFormat, TheFuzzDictionaryHoldsEveryKey) {
    const std::string dictionary = SourceFile("fuzz/layout.dict");
    ASSERT_FALSE(dictionary.empty());
    for (const std::string_view key : LayoutFormat::ReadKeys()) {
        EXPECT_NE(dictionary.find("\"" + std::string(key) + "\""), std::string::npos) << key;
    }
}

// The demo layout is written by a script of its own: it must be exactly what a store of the
// layout it holds writes.
TEST(LayoutFormat, TheDemoLayoutIsWhatAStoreWrites) {
    const std::string demo = SourceFile("demo/tvxdef.ini");
    ASSERT_FALSE(demo.empty());
    auto layout = std::make_unique<Layout>();
    LayoutFormat::ParseLayout(demo, *layout);
    EXPECT_TRUE(LayoutFormat::FormatLayout(*layout) == demo);
}

}  // namespace
