#include "PanelTarget.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PanelTarget, ReadsAnAddressOrHostNameWithAnOptionalPort) {
    struct Case {
        std::string text;
        std::string shown;  ///< empty: refused
    };
    const std::string longLabel(63, 'a');
    const std::string longName = longLabel + "." + longLabel + "." + longLabel + "." +
                                 std::string(61, 'b');  // 253 characters
    const Case cases[] = {
        {"192.168.1.20", "192.168.1.20:4001"},
        {"192.168.1.20:4002", "192.168.1.20:4002"},
        {"127.0.0.1:1", "127.0.0.1:1"},
        {"127.0.0.1:65535", "127.0.0.1:65535"},
        {"panel-2", "panel-2:4001"},
        {"panel-2.example.org:80", "panel-2.example.org:80"},
        {"Panel2", "Panel2:4001"},
        {"2panel", "2panel:4001"},
        {longName, longName + ":4001"},
        {longName + "b", ""},
        {longLabel + "a.example", ""},
        {"127.0.0.1:0", ""},
        {"127.0.0.1:65536", ""},
        {"127.0.0.1:", ""},
        {"127.0.0.1:-1", ""},
        {"127.0.0.1:+80", ""},
        {"127.0.0.1:4001:4001", ""},
        {"127.0.0.1:http", ""},
        {"127.0.0.256", ""},
        {"127.0.0", ""},
        {"1.2.3.4.5", ""},
        {"::1", ""},
        {"[::1]:4001", ""},
        {":4001", ""},
        {"", ""},
        {"-panel", ""},
        {"panel-", ""},
        {"pa_nel", ""},
        {"panel..local", ""},
        {".panel", ""},
        {"panel.", ""},
        {"pa nel", ""},
        {"panel/1", ""},
        {"user@panel", ""},
    };
    for (const Case& c : cases) {
        const auto target = ParsePanelTarget(c.text);
        EXPECT_EQ(target ? target->Shown() : std::string(), c.shown) << c.text;
    }
}

}  // namespace
