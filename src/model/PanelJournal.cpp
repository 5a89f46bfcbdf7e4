#include "model/PanelJournal.h"

std::string JournalAddress(const std::array<int, 4>& octets) {
    return std::to_string(octets[0]) + "." + std::to_string(octets[1]) + "." +
           std::to_string(octets[2]) + "." + std::to_string(octets[3]);
}

void PanelJournal::Link(bool up, const std::string& address, LinkReport::Clock::time_point now) {
    Write(up ? m_link.Up(address, now) : m_link.Down(address, now));
}

void PanelJournal::Tick(LinkReport::Clock::time_point now) {
    Write(m_link.Tick(now));
}

void PanelJournal::Write(const std::vector<LinkReport::Line>& lines) const {
    for (const LinkReport::Line& line : lines) {
        m_journal.Write(line.level, line.text);
    }
}

void PanelJournal::Stored(FileStatus status, const std::string& error) {
    switch (status) {
        case FileStatus::Ok:
            m_journal.Info("store: tvxdef.ini stored");
            return;
        case FileStatus::StoredWithoutBackup:
            m_journal.Warning("store: tvxdef.ini stored, the version it replaced not kept: " +
                              error);
            return;
        case FileStatus::StoredUnsynced:
            m_journal.Warning("store: tvxdef.ini stored, may not survive a power cut: " + error);
            return;
        case FileStatus::Missing:
            m_journal.Error("store failed: tvxdef.ini is not there");
            return;
        default:
            m_journal.Error("store failed: " + error);
            return;
    }
}

void PanelJournal::LayoutArrived(Arrival arrival, const std::string& why) {
    switch (arrival) {
        case Arrival::Taken:
            m_journal.Info("new layout: taken");
            return;
        case Arrival::Declined:
            m_journal.Info("new layout: declined, the changes not stored were kept");
            return;
        case Arrival::Unusable:
            m_journal.Warning("new layout: cannot be used, the panel keeps its layout: " + why);
            return;
        case Arrival::FolderGone:
            m_journal.Warning("layout folder gone: " + why);
            return;
    }
}

void PanelJournal::PictureNotShown(const std::string& name, const std::string& why) {
    if (!m_picturesTold.insert(name).second) {
        return;
    }
    if (why.empty()) {
        m_journal.Warning("picture missing: " + name + ", the default picture is shown");
    } else {
        m_journal.Warning("picture refused: " + name + " (" + why + ")");
    }
}
