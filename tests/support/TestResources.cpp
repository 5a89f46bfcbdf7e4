#include "TestResources.h"

#include <sched.h>
#include <sys/resource.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::optional<std::string> GivenResource(const std::string& type) {
    std::string variable = "CTEST_RESOURCE_GROUP_0_";
    for (const char c : type) {
        variable += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    // "id:K,slots:N"
    const char* given = std::getenv(variable.c_str());
    const std::string allocation = given != nullptr ? given : "";
    const std::string idField = "id:";
    if (allocation.rfind(idField, 0) != 0) {
        return std::nullopt;
    }
    return allocation.substr(idField.size(), allocation.find(',') - idField.size());
}

bool YieldToTheTimedTests() {
    if (!GivenResource("places")) {
        return true;
    }
    const bool mayRaise = ::setpriority(PRIO_PROCESS, 0, -1) == 0;
    if (GivenResource("timed")) {
        if (mayRaise) {
            ::setpriority(PRIO_PROCESS, 0, -20);
        }
        return true;
    }
    if (mayRaise) {
        ::setpriority(PRIO_PROCESS, 0, 0);
        return true;
    }
    const sched_param lowest{};
    if (sched_setscheduler(0, SCHED_IDLE, &lowest) != 0) {
        std::fprintf(stderr, "cannot run the test at the idle priority: %s\n",
                     std::strerror(errno));
        return false;
    }
    return true;
}
