#pragma once

#include <array>
#include <set>
#include <string>
#include <vector>

#include "model/File.h"
#include "model/Journal.h"
#include "model/LinkReport.h"

/// What the panel tells the journal while it runs, in a few lines a minute at most: the
/// controller link as LinkReport words it, each store and how it went, each layout that arrived
/// (taken, declined or unusable, and why), each picture not shown (refused or missing, once per
/// file for the whole run), and the end with its reason. Names of files and addresses are all it
/// tells of the layout; no text of a button, no password.
class PanelJournal {
  public:
    explicit PanelJournal(Journal journal = Journal()) : m_journal(journal) {}

    const Journal& Lines() const { return m_journal; }

    /// The link's state at `now` (said on every tick while it is down), and the link timer's
    /// tick; the lines that LinkReport gives.
    void Link(bool up, const std::string& address, LinkReport::Clock::time_point now);
    void Tick(LinkReport::Clock::time_point now);
    /// The link closed for another address or mode.
    void LinkClosed() { m_link.Closed(); }

    /// A store of the layout file ended with `status` (`error` says why it did not go through
    /// or may not last).
    void Stored(FileStatus status, const std::string& error);

    enum class Arrival { Taken, Declined, Unusable, FolderGone };
    /// A layout file another program put into the folder, or the folder gone.
    void LayoutArrived(Arrival arrival, const std::string& why = std::string());

    /// A picture not shown: refused for its size (`why`), or missing (`why` empty). Each file
    /// once.
    void PictureNotShown(const std::string& name, const std::string& why = std::string());

  private:
    void Write(const std::vector<LinkReport::Line>& lines) const;

    Journal m_journal;
    LinkReport m_link;
    std::set<std::string> m_picturesTold;
};

/// Dotted-decimal form of an address as the layout holds it (four numbers).
std::string JournalAddress(const std::array<int, 4>& octets);
