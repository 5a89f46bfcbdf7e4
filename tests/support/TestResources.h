#pragma once

#include <optional>
#include <string>

/// What CTest's resource allocation gave the running test: the id of its instance of `type` (a
/// type of the resource file, lower case) in its first resource group; nothing when it was given
/// none (run outside ctest, or a test that needs no such resource).
std::optional<std::string> GivenResource(const std::string& type);

/// Keeps this process, and every process it starts, to the processor CTest gave the test (the
/// resource "cpus": instance K is the K-th processor this process may use), so that the tests
/// that share a processor stay off the others. A test that bounds a time (the resource "timed")
/// takes all places of one processor, which no other test then uses, and is not kept to it: its
/// threads and children run side by side as on a panel. True when there is nothing to do; false,
/// with a message, when it cannot be done.
bool KeepToTheGivenProcessor();
