#pragma once

#include <string>

/// The versions of the layout file that stores keep beside it, so that a mistaken store, or a
/// layout received by mistake, can be undone by hand: "tvxdef.ini.bak" the newest,
/// "tvxdef.ini.bak.1" to "tvxdef.ini.bak.4" older and older. They are the last kKept distinct
/// versions: a version already kept is not kept twice, it moves to the front. Each is a whole
/// file at every moment of a store: versions move back by renames, and the newest is written
/// whole beside its name first. Used by the panel's stores and by the receiver.
class LayoutBackups {
  public:
    /// How many versions are kept.
    static constexpr int kKept = 5;

    /// The versions of the layout file at `target` (native path, the file itself, not a link).
    explicit LayoutBackups(std::string target) : m_target(std::move(target)) {}

    /// The path of a version: 0 the newest ("tvxdef.ini.bak"), kKept - 1 the oldest.
    std::string PathOf(int generation) const;

    /// Keeps `replaced`, the bytes of the layout file that a store is about to replace, as the
    /// newest version with the given permission bits. The older versions move back one place
    /// each up to the first place that is free or holds the same bytes, which is given up; with
    /// none, the oldest is dropped. A name that holds something other than a file (a folder) is
    /// never moved or replaced: false with the reason, and the versions stay as they were. False
    /// with the reason too when the newest cannot be written; what moved back is then whole.
    bool Keep(const std::string& replaced, unsigned permissions, std::string* error) const;

  private:
    std::string m_target;
};
