// Layout files that fail where a disk or the permissions can, for the unit and the window tests.
#pragma once

#include <cerrno>
#include <string>

#include "model/File.h"

/// Cannot read the layout file: every read fails with the given errno.
class FileFailingToRead : public File {
  public:
    explicit FileFailingToRead(int errorNumber) : m_errorNumber(errorNumber) {}

  protected:
    bool ReadWholeFile(const std::string&, std::string&) const override {
        errno = m_errorNumber;
        return false;
    }

  private:
    int m_errorNumber;
};

/// Puts the new file in place but cannot sync its folder afterwards (EIO).
class FileFailingToSyncTheFolder : public File {
  protected:
    bool SyncFolder(const std::string&) const override {
        errno = EIO;
        return false;
    }
};
