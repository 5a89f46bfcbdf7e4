#include "model/PictureHeader.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

std::optional<PictureSize> ReadPictureHeader(const std::string& path) {
    PictureSize size;
    if (gdk_pixbuf_get_file_info(path.c_str(), &size.width, &size.height) == nullptr) {
        return std::nullopt;
    }
    return size;
}
