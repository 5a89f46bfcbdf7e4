#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SimCommands.h"
#include "SimController.h"
#include "SimDecoder.h"
#include "SimOptions.h"

/// The simulator's one thread: a poll() loop over the listening socket, the one panel connection
/// and standard input. Nothing in it blocks: the panel socket is non-blocking, and what the panel
/// does not read yet waits in a bounded outgoing buffer.
class SimServer {
  public:
    explicit SimServer(const SimOptions& options);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    /// Opens the listening socket and prints where it listens; false with `error` set on failure.
    bool Listen(std::string& error);

    /// Serves until "quit" or until `stopFd` (the read end of the signal pipe) becomes readable.
    void Run(int stopFd);

    /// Lamp states and raw bytes a panel may leave unread before it is dropped: far more than any
    /// panel that reads at all falls behind by, and small enough to never matter for memory.
    static constexpr std::size_t kOutgoingLimit = 256 * 1024;

  private:
    void Accept();
    void ReadClient();
    void WriteClient();
    void CloseClient();
    void ReadInput();
    void HandleLine(const std::string& line);
    void Report(const std::vector<SimEvent>& events);
    void SendState();
    void Queue(const std::uint8_t* data, std::size_t size);
    bool HasClient() const { return m_clientFd >= 0; }

    SimController m_controller;
    SimDecoder m_decoder;
    std::string m_address;
    std::uint16_t m_port;
    int m_listenFd = -1;
    int m_clientFd = -1;
    bool m_inputOpen = true;
    bool m_quit = false;
    std::string m_inputLine;
    bool m_inputOverlong = false;
    std::vector<std::uint8_t> m_outgoing;
    std::size_t m_outgoingHead = 0;  ///< bytes of m_outgoing already sent
};
