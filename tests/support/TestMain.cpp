// The main of the test programs that need nothing around their tests: each test is kept to the
// processor CTest gave it.
#include <gtest/gtest.h>

#include "TestResources.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!KeepToTheGivenProcessor()) {
        return 1;
    }
    return RUN_ALL_TESTS();
}
