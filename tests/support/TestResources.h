#pragma once

#include <optional>
#include <string>

/// What CTest's resource allocation gave the running test: the id of its instance of `type` (a
/// type of the resource file, lower case) in its first resource group; nothing when it was given
/// none (run outside ctest, or a test that needs no such resource).
std::optional<std::string> GivenResource(const std::string& type);

/// Under ctest every test takes a place (the resource "places"). A test that bounds a time (given
/// the resource "timed" as well) runs as any program does; every other test runs at the idle
/// priority (SCHED_IDLE), it and every process it starts: it takes only processor time that no
/// timed test wants, so that a timed test measures its own work, never its neighbours'. Outside
/// ctest nothing changes. True when done or when there is nothing to do; false, with a message,
/// when it cannot be done.
bool YieldToTheTimedTests();
