#pragma once

#include <optional>
#include <string>

/// What CTest's resource allocation gave the running test: the id of its instance of `type` (a
/// type of the resource file, lower case) in its first resource group; nothing when it was given
/// none (run outside ctest, or a test that needs no such resource).
std::optional<std::string> GivenResource(const std::string& type);

/// Under ctest every test takes a place (the resource "places"); a test that bounds a time takes
/// the resource "timed" as well, and must not measure its neighbours' work. Where this user may
/// raise a priority (root, or a nice limit that allows it) a timed test runs at the highest nice
/// priority and every other test as any program does, so that a build running meanwhile holds
/// none of them up; elsewhere the others step back to the idle priority (SCHED_IDLE), taking only
/// processor time that no timed test wants. Processes the test starts inherit it. Outside ctest
/// nothing changes. True when done or when there is nothing to do; false, with a message, when it
/// cannot be done.
bool YieldToTheTimedTests();
