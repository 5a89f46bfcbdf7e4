#include "model/Prompter.h"

#include <stdexcept>

namespace {
Prompter* g_prompter = nullptr;
}

Prompter& GetPrompter() {
    if (g_prompter == nullptr) {
        throw std::logic_error("no prompter installed");
    }
    return *g_prompter;
}

void SetPrompter(Prompter* prompter) {
    g_prompter = prompter;
}
