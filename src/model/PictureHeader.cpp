#include "model/PictureHeader.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>

std::optional<PictureSize> ReadPictureHeader(const std::string& path) {
    PictureSize size;
    if (gdk_pixbuf_get_file_info(path.c_str(), &size.width, &size.height) == nullptr) {
        return std::nullopt;
    }
    return size;
}

std::optional<PictureSize> PictureHeaderOf(const std::string& bytes) {
    struct Found {
        PictureSize size;
        bool known = false;
    } found;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    const auto onSize = +[](GdkPixbufLoader* sized, int width, int height, gpointer data) {
        auto* into = static_cast<Found*>(data);
        into->size = PictureSize{width, height};
        into->known = true;
        // Zero asks the loader to stop there: nothing is decoded or allocated.
        gdk_pixbuf_loader_set_size(sized, 0, 0);
    };
    g_signal_connect(loader, "size-prepared", G_CALLBACK(onSize), &found);
    constexpr std::size_t kChunk = 4096;
    const auto* data = reinterpret_cast<const guchar*>(bytes.data());
    for (std::size_t at = 0; at < bytes.size() && !found.known; at += kChunk) {
        if (!gdk_pixbuf_loader_write(loader, data + at, std::min(kChunk, bytes.size() - at),
                                     nullptr)) {
            break;
        }
    }
    gdk_pixbuf_loader_close(loader, nullptr);
    g_object_unref(loader);
    if (!found.known) {
        return std::nullopt;
    }
    return found.size;
}
