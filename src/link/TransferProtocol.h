#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/Layout.h"
#include "model/PictureFile.h"

/// What a transfer has to tell the user; the window layer words it.
enum class TransferNotice {
    /// The file is not in the layout folder (the path says where it was looked for); the
    /// default button picture goes in its place.
    PictureMissing,
    /// No connection to the receiver.
    CannotConnect,
    /// The file (the path) is too large to be sent; nothing of it was sent.
    TooLarge,
    /// The receiver answered wrongly, or the file could not be read.
    Failed,
};

/// Where a transfer takes the file it sends from. The program reads the layout folder through
/// the picture lookup; tests hand in bytes of their own.
class TransferSource {
  public:
    virtual ~TransferSource() = default;

    /// The length of the file that Open(name) would open, without opening it or telling the
    /// user anything; nothing when there is no such file.
    virtual std::optional<std::uint64_t> SizeOf(const std::wstring& name) = 0;
    /// Opens the file to send for a bare name. False when nothing could be opened at all.
    virtual bool Open(const std::wstring& name) = 0;
    /// The length of the opened file; nothing when it cannot be told.
    virtual std::optional<std::uint64_t> Length() = 0;
    /// Reads exactly `count` bytes, continuing where the last read stopped. False on a read
    /// error or a file that ends too soon.
    virtual bool Read(std::uint8_t* data, std::size_t count) = 0;
};

/// The files of a layout folder, found with FindPicture and opened into the shared PictureFile.
class LayoutFolderSource : public TransferSource {
  public:
    /// Told the full path of a file that is not there, before the default button picture is
    /// opened in its place.
    using MissingListener = std::function<void(const std::wstring& path)>;

    /// `file`: where the file being sent stays open from one step to the next.
    LayoutFolderSource(const Layout& layout, PictureFile& file, MissingListener onMissing = {})
        : m_layout(layout), m_file(file), m_onMissing(std::move(onMissing)) {}

    std::optional<std::uint64_t> SizeOf(const std::wstring& name) override;
    bool Open(const std::wstring& name) override;
    std::optional<std::uint64_t> Length() override;
    bool Read(std::uint8_t* data, std::size_t count) override;

  private:
    const Layout& m_layout;
    PictureFile& m_file;
    MissingListener m_onMissing;
};

/// The sending side of a file transfer as a state machine without a socket: it is told each
/// byte the receiver sends and answers with the bytes to send next. Greeting "TVX", the name,
/// the length in 3 bytes (big-endian) and the contents in blocks of 1000 bytes, each step
/// waiting for the receiver's '>'; after the last (possibly empty) block the sender ends its
/// side of the connection, and the file is done once the receiver has had its word: it ends
/// its side too, or answers '>'. An answer that comes before every byte it answers was sent is
/// no answer to them: the transfer fails, so that a receiver answering ahead of time is never
/// taken to have the file.
class TransferProtocol {
  public:
    /// Values of TransferState: 0 before the first transfer.
    static constexpr int kGreetingSent = 1;
    static constexpr int kNameSent = 2;
    static constexpr int kSendingBlocks = 3;
    static constexpr int kLastBlockDue = 4;
    static constexpr int kDone = 888;
    static constexpr int kFailed = 999;

    /// Where a receiving panel listens, and how long a sender waits for the connection.
    static constexpr std::uint16_t kPort = 4001;
    static constexpr int kConnectSeconds = 2;

    static constexpr std::uint8_t kAck = '>';
    static constexpr std::size_t kBlockSize = 1000;
    /// The 3-byte length holds values below this.
    static constexpr std::uint64_t kLengthLimit = std::uint64_t{1} << 24;

    /// What went wrong in a step; the caller tells the user.
    enum class Problem {
        None,
        WrongAck,   ///< the receiver answered something other than '>' ("Error")
        EarlyAck,   ///< the receiver answered before the bytes it answers were sent ("Error")
        ReadError,  ///< the file could not be opened or read completely ("Error")
        TooLarge,   ///< 16 MiB or more: refused before any byte of it was sent
    };

    /// What to do after a step.
    struct Step {
        std::vector<std::uint8_t> send;
        /// Close the connection now: the transfer failed, or the receiver's word is in.
        bool close = false;
        /// The last block: once `send` is out, end the sending side of the connection and wait
        /// for the receiver's word.
        bool finish = false;
        Problem problem = Problem::None;
    };

    /// Begins the transfer of `name`: state 1, nothing refused, nothing sent yet.
    void Begin(const std::wstring& name);
    /// The greeting to send once connected. A file too large for the 3-byte length is refused
    /// here instead, before anything is sent: state 999, Refused() true, nothing to send.
    Step Greeting(TransferSource& source);

    /// The caller has handed every byte of the last step to the connection: only now can the
    /// receiver answer them.
    void StepSent() { m_stepSent = true; }
    /// One byte from the receiver, as its acknowledgement of the last step. Bytes that arrived
    /// together are handed in before the next step is sent, so that all but the first count as
    /// early.
    Step OnAck(std::uint8_t byte, TransferSource& source);
    /// The receiver ended its side of the connection in order. After the whole last block that
    /// is its word that the file is complete (state 888, true); before, it changes nothing.
    bool OnEnd();

    int State() const { return m_state; }
    /// Whether the current file was refused for its size (state 999 then): the receiver did
    /// nothing wrong and the caller may go on with the next file.
    bool Refused() const { return m_refused; }
    /// Bytes of the file not yet sent.
    std::uint64_t Remaining() const { return m_remaining; }

    /// The name as it goes on the wire: one byte per character, ISO-8859-1, '?' for a character
    /// that has no place there.
    static std::string WireName(const std::wstring& name);

  private:
    Step Fail(Problem problem);
    Step SendBlock(std::size_t size, TransferSource& source);

    int m_state = 0;
    bool m_refused = false;
    /// Every byte of the last step has been handed to the connection.
    bool m_stepSent = false;
    /// The last block has gone out (state 4 then waits for the receiver's word).
    bool m_lastBlockOut = false;
    std::uint64_t m_remaining = 0;
    std::wstring m_name;
};
