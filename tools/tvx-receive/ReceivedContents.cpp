#include "ReceivedContents.h"

#include <memory>

#include "model/File.h"
#include "model/Layout.h"
#include "model/Paths.h"
#include "model/PictureHeader.h"

std::string CheckContents(const std::string& name, const std::string& path) {
    if (name != NativeName(File::kLayoutFileName)) {
        if (ReadWholePicture(path)) {
            return std::string();
        }
        return ReadPictureHeader(path)
                   ? "no picture the panel can read: it ends before the picture does (cut off)"
                   : "no picture the panel can read: the picture reader does not know its header";
    }
    auto layout = std::make_unique<Layout>();
    layout->ResetLayout();
    std::string error;
    switch (File().LoadCompleteLayoutAt(path, *layout, &error)) {
        case FileStatus::Ok:
            return std::string();
        case FileStatus::Incomplete:
            return "no layout the panel can use: its last line is not \"EndOfFile\" (cut off, "
                   "or no layout file)";
        default:
            return "no layout the panel can use: " + error;
    }
}
