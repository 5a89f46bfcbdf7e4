#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "AllowedPeers.h"
#include "cli/CommandLine.h"

/// The command line of tvx-receive.
struct ReceiveOptions {
    std::string address = "127.0.0.1";
    std::uint16_t port = 4001;
    std::string into = ".";
    /// Who may send; empty: the loopback network only.
    std::vector<AddressRange> allow;
    /// A client that sends nothing for this long while the receiver waits for it is dropped.
    std::chrono::milliseconds timeout{10000};
    /// A transfer not over this long after its connection was taken is dropped, however
    /// steadily its bytes come: a 16 MiB file takes a few seconds on a local network.
    std::chrono::milliseconds deadline{60000};
    /// Connections served at once; more wait in the listening queue for a place. A well-behaved
    /// transfer holds its place for milliseconds, a silent client for the timeout at most.
    std::uint64_t maxConnections = 64;
    /// Misbehaviour on purpose, for trying the panel's side: the answer to the greeting, a
    /// connection cut after so many received bytes, a delay before every acknowledgement.
    char answerGreeting = '>';
    std::optional<std::uint64_t> closeAfter;
    std::chrono::milliseconds slow{0};
    /// Taken as the free space of the folder instead of asking the file system, to try the
    /// refusal of a file that does not fit without filling a disk.
    std::optional<std::uint64_t> assumeFree;
    /// What the user should know about the options taken, one line each for standard error.
    std::vector<std::string> notes;
};

/// The command line of tvx-receive, read into `options`.
CommandLineTable ReceiveCommandLine(ReceiveOptions& options);
