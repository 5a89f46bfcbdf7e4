#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "IncomingFile.h"
#include "ReceiveOptions.h"

/// One sending panel, one file: answers the greeting, the name, the length and every full
/// 1000-byte block with '>', writes the contents to a temporary file of its own and puts it in
/// place when the last byte is in. The connection is non-blocking; the server's poll loop tells
/// the session when its socket is ready and when its deadline has come. However its client
/// behaves, the session is over within the overall deadline of the options.
class ReceiveSession {
  public:
    using Clock = std::chrono::steady_clock;
    using Print = std::function<void(const std::string&)>;
    /// Bytes that the transfers under way have announced and not yet written: room on the disk
    /// that a new file cannot have.
    using Promised = std::function<std::uint64_t()>;

    /// How long the name may pause before it is taken as complete. The name has no length of
    /// its own on the wire; the sender waits for the answer before it sends anything else, so
    /// a pause means the name is over. Sent in one piece, it normally arrives in one.
    static constexpr std::chrono::milliseconds kNameGap{25};

    ReceiveSession(int fd, const ReceiveOptions& options, Print print, Promised promised,
                   Clock::time_point now);
    ~ReceiveSession();
    ReceiveSession(const ReceiveSession&) = delete;
    ReceiveSession& operator=(const ReceiveSession&) = delete;

    int Fd() const { return m_fd; }
    bool Finished() const { return m_phase == Phase::Done; }
    /// Bytes of the announced file still to come; 0 before its length is taken.
    std::uint64_t Unwritten() const { return m_phase == Phase::Data ? m_length - m_received : 0; }
    /// Since when the session has waited for its client without a byte coming; nothing while
    /// it has something of its own to do (an answer to send, a name to take, an end to see).
    std::optional<Clock::time_point> SilentSince() const;
    /// Ends the session to make room for a client waiting for a place.
    void GiveWay(Clock::time_point now);
    /// Whether an answer is due and waits for the socket to take it.
    bool WantsOutput(Clock::time_point now) const;
    /// Whether the client may still send: not once it has ended its side.
    bool WantsInput() const { return !m_inputEnded; }
    /// When the session next has something to do without any input: at the latest, at the
    /// overall deadline.
    Clock::time_point Deadline(Clock::time_point now) const;

    void OnInput(Clock::time_point now);
    void OnOutput(Clock::time_point now);
    void OnTime(Clock::time_point now);

  private:
    enum class Phase { Greeting, Name, Length, Data, Finishing, Done };

    struct Answer {
        char byte;
        Clock::time_point due;
    };

    void Take(const std::uint8_t* data, std::size_t size, Clock::time_point now);
    /// Gathers the three bytes of the greeting or the length in `m_header`, consuming them from
    /// `data`; true once all three are in.
    bool TakeHeader(const std::uint8_t*& data, std::size_t& size);
    void TakeName(Clock::time_point now);
    /// Whether the announced length fits on the disk; refuses the file when it does not.
    bool HasRoom(Clock::time_point now);
    /// Puts the complete file in place when its contents are of use to the panel; refuses it
    /// otherwise. True when it is in place.
    bool Complete(Clock::time_point now);
    void QueueAnswer(char byte, Clock::time_point now);
    /// Stores nothing. With `answer` the sender is told with a byte other than '>' and the
    /// connection closes once the sender has seen it; without, it closes at once.
    void Refuse(const std::string& reason, std::optional<char> answer, Clock::time_point now);
    void Finish(Clock::time_point now);
    void CloseNow();
    bool WaitingForClient() const;
    std::string ShownName() const;

    int m_fd;
    const ReceiveOptions& m_options;
    Print m_print;
    Promised m_promised;
    Phase m_phase = Phase::Greeting;
    std::string m_header;     ///< greeting or length bytes gathered so far
    std::string m_nameBytes;  ///< the name as it came over the wire
    std::string m_name;       ///< the checked name for the file system
    std::uint64_t m_length = 0;
    std::uint64_t m_received = 0;       ///< bytes of the contents
    std::uint64_t m_totalReceived = 0;  ///< every byte of the connection
    IncomingFile m_file;
    std::deque<Answer> m_answers;
    Clock::time_point m_lastActivity;
    Clock::time_point m_lastNameByte;
    Clock::time_point m_finishBy;
    Clock::time_point m_giveUpAt;  ///< the overall deadline of the connection
    bool m_outputShut = false;
    /// The client ended its side while an answer of ours was still to go.
    bool m_inputEnded = false;
};
