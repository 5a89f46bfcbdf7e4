// The tests of what a user sees on a real X screen: the panel program itself on an X server of
// their own, bare (a kiosk panel: X with the panel alone) or, with --window-manager=openbox,
// under a stacking window manager. CTest runs them both ways.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "TestResources.h"
#include "TestScreen.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    bool withWindowManager = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window-manager=openbox") == 0) {
            withWindowManager = true;
        } else {
            std::fprintf(stderr, "usage: %s [--window-manager=openbox] [gtest options]\n", argv[0]);
            return 2;
        }
    }
    // Listing the tests needs no screen.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    if (!YieldToTheTimedTests()) {
        return 1;
    }
    if (!TheScreen().Start(withWindowManager)) {
        std::fprintf(stderr, "the test screen did not start (Xvfb%s)\n",
                     withWindowManager ? " with openbox" : "");
        return 1;
    }
    return RUN_ALL_TESTS();
}
