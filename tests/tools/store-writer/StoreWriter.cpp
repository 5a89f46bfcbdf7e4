// tvx-store-writer FOLDER: stores layout B, then A, then B ... over the layout file in FOLDER
// (which must hold one) as fast as it can, until it is killed. It prints "ready" once its first
// store is complete, and a line for a store that failed. The store-safety test kills it at random
// moments and looks at what it left.
#include <cstdio>
#include <string>

#include "StoreLayouts.h"
#include "model/File.h"
#include "model/Paths.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: tvx-store-writer FOLDER\n", stderr);
        return 2;
    }
    const std::wstring folder = TextFromNative(argv[1]);
    const std::unique_ptr<Layout> layouts[] = {StoreSafetyLayout(0, folder),
                                               StoreSafetyLayout(1, folder)};
    const File file;
    for (unsigned long store = 0;; ++store) {
        std::string error;
        if (file.StoreLayout(*layouts[(store + 1) % 2], &error) != FileStatus::Ok) {
            std::fprintf(stderr, "store %lu failed: %s\n", store, error.c_str());
            return 1;
        }
        if (store == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}
