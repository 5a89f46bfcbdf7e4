#include "TestResources.h"

#include <sched.h>

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

bool KeepToTheGivenProcessor() {
    const std::optional<std::string> given = GivenResource("cpus");
    if (!given || GivenResource("timed")) {
        return true;
    }
    char* end = nullptr;
    const unsigned long index = std::strtoul(given->c_str(), &end, 10);
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (given->empty() || *end != '\0' || sched_getaffinity(0, sizeof allowed, &allowed) != 0 ||
        CPU_COUNT(&allowed) == 0) {
        std::fprintf(stderr, "cannot keep the test to processor %s\n", given->c_str());
        return false;
    }
    // The resource file counts the processors this machine had when the build was configured;
    // the K-th of those the process may use now, counted round.
    const int wanted = static_cast<int>(index % static_cast<unsigned long>(CPU_COUNT(&allowed)));
    int cpu = -1;
    for (int seen = -1; seen < wanted;) {
        if (CPU_ISSET(++cpu, &allowed)) {
            ++seen;
        }
    }
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    if (sched_setaffinity(0, sizeof one, &one) != 0) {
        std::fprintf(stderr, "cannot keep the test to processor %d: %s\n", cpu,
                     std::strerror(errno));
        return false;
    }
    return true;
}
