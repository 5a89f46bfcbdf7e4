// The main of the test programs that need nothing around their tests: under ctest a test that
// bounds no time yields to those that do.
#include <gtest/gtest.h>

#include "TestResources.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!YieldToTheTimedTests()) {
        return 1;
    }
    return RUN_ALL_TESTS();
}
