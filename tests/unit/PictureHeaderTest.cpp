// The picture header reader: sizes of PNG, JPEG and BMP files from their first bytes, and no
// size from anything damaged, cut short or of another kind.
#include "PictureBytes.h"
#include "TempFolder.h"
#include "model/PictureHeader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string BigEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

std::string LittleEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

/// The signature and an image header chunk with its check sum (from zlib, not ours), then a
/// few bytes of what follows.
std::string Png(std::uint32_t width, std::uint32_t height, int depth = 8, int colour = 6,
                int interlace = 0) {
    const std::string chunk = "IHDR" + BigEndian(width, 4) + BigEndian(height, 4) +
                              static_cast<char>(depth) + static_cast<char>(colour) +
                              std::string(2, '\0') + static_cast<char>(interlace);
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), static_cast<uInt>(chunk.size())));
    return std::string("\x89PNG\r\n\x1a\n", 8) + BigEndian(13, 4) + chunk + BigEndian(crc, 4) +
           BigEndian(0, 4) + "IEND";
}

std::string Segment(unsigned marker, const std::string& body) {
    return std::string("\xFF", 1) + static_cast<char>(marker) + BigEndian(body.size() + 2, 2) +
           body;
}

/// A JPEG's start: the image start, an application segment of `appBytes`, a table, then the
/// frame header of `sof` and a scan.
std::string Jpeg(unsigned width, unsigned height, unsigned sof = 0xC0, std::size_t appBytes = 14,
                 int components = 3) {
    std::string frame = std::string(1, 8) + BigEndian(height, 2) + BigEndian(width, 2) +
                        static_cast<char>(components);
    for (int c = 0; c < components; ++c) {
        frame += std::string{static_cast<char>(c + 1), 0x11, 0};
    }
    return std::string("\xFF\xD8", 2) + Segment(0xE1, std::string(appBytes, 'x')) +
           Segment(0xDB, std::string(65, '\1')) + Segment(sof, frame) +
           Segment(0xDA, std::string("\1\1\0\0?\0", 6));
}

std::string Bmp(std::uint32_t infoSize, std::int32_t width, std::int32_t height, int bits = 24,
                int planes = 1) {
    std::string info = LittleEndian(infoSize, 4);
    if (infoSize == 12) {
        info += LittleEndian(static_cast<std::uint32_t>(width), 2) +
                LittleEndian(static_cast<std::uint32_t>(height), 2);
    } else {
        info += LittleEndian(static_cast<std::uint32_t>(width), 4) +
                LittleEndian(static_cast<std::uint32_t>(height), 4);
    }
    info += LittleEndian(static_cast<std::uint32_t>(planes), 2) +
            LittleEndian(static_cast<std::uint32_t>(bits), 2);
    info.resize(std::max<std::size_t>(info.size(), infoSize), '\0');
    return "BM" + LittleEndian(14 + info.size() + 16, 4) + std::string(4, '\0') +
           LittleEndian(14 + info.size(), 4) + info + std::string(16, '\x7f');
}

struct Case {
    const char* what;
    std::string bytes;
    std::optional<PictureHeader> expected;
};

std::optional<PictureHeader> Is(PictureType type, int width, int height) {
    return PictureHeader{type, width, height};
}

std::string Changed(std::string bytes, std::size_t at, char value) {
    bytes.at(at) = value;
    return bytes;
}

void ExpectHeader(const std::optional<PictureHeader>& got,
                  const std::optional<PictureHeader>& expected, const std::string& what) {
    ASSERT_EQ(got.has_value(), expected.has_value()) << what;
    if (expected) {
        EXPECT_EQ(got->type, expected->type) << what;
        EXPECT_EQ(got->width, expected->width) << what;
        EXPECT_EQ(got->height, expected->height) << what;
    }
}

std::vector<Case> Cases() {
    const std::string png = Png(640, 480);
    const std::string jpeg = Jpeg(1024, 768);
    return {
        {"png", png, Is(PictureType::Png, 640, 480)},
        {"png, largest size", Png(0x7FFFFFFF, 1), Is(PictureType::Png, 0x7FFFFFFF, 1)},
        {"png, palette of 4 bits, interlaced", Png(3, 2, 4, 3, 1), Is(PictureType::Png, 3, 2)},
        {"png, grey of 16 bits", Png(1, 1, 16, 0), Is(PictureType::Png, 1, 1)},
        {"png, width 0", Png(0, 480), std::nullopt},
        {"png, width over 2^31 - 1", Png(0x80000000u, 1), std::nullopt},
        {"png, a depth the colour type does not have", Png(3, 2, 4, 2), std::nullopt},
        {"png, an unknown colour type", Png(3, 2, 8, 5), std::nullopt},
        {"png, unknown interlace", Png(3, 2, 8, 6, 2), std::nullopt},
        {"png, width changed after the check sum", Changed(png, 18, '\x7f'), std::nullopt},
        {"png, check sum damaged", Changed(png, 30, '\0'), std::nullopt},
        {"png, another first chunk", Changed(png, 12, 'i'), std::nullopt},
        {"png, signature damaged", Changed(png, 4, '\n'), std::nullopt},
        {"png, cut off in its check sum", png.substr(0, 32), std::nullopt},
        {"jpeg, baseline", jpeg, Is(PictureType::Jpeg, 1024, 768)},
        {"jpeg, progressive, grey", Jpeg(5, 7, 0xC2, 14, 1), Is(PictureType::Jpeg, 5, 7)},
        {"jpeg, behind a long segment", Jpeg(65535, 1, 0xC1, 65000),
         Is(PictureType::Jpeg, 65535, 1)},
        {"jpeg, fill bytes before a marker",
         std::string("\xFF\xD8\xFF\xFF\xFF", 5) + Jpeg(9, 8).substr(3),
         Is(PictureType::Jpeg, 9, 8)},
        {"jpeg, height 0 (given later)", Jpeg(9, 0), std::nullopt},
        {"jpeg, no components", Jpeg(9, 8, 0xC0, 14, 0), std::nullopt},
        {"jpeg, the huffman table marker is no frame", Jpeg(9, 8, 0xC4), std::nullopt},
        {"jpeg, scan before any frame", std::string("\xFF\xD8", 2) + Segment(0xDA, "abc"),
         std::nullopt},
        {"jpeg, end of image before any frame", std::string("\xFF\xD8\xFF\xD9", 4), std::nullopt},
        {"jpeg, a segment shorter than its length", std::string("\xFF\xD8\xFF\xE0\0\1", 6),
         std::nullopt},
        {"jpeg, no marker where one belongs", Changed(jpeg, 2 + 18, 'x'), std::nullopt},
        {"jpeg, cut off in its frame header", jpeg.substr(0, jpeg.find("\xFF\xC0") + 8),
         std::nullopt},
        {"bmp, information header of 40", Bmp(40, 7, 3), Is(PictureType::Bmp, 7, 3)},
        {"bmp, top-down rows", Bmp(124, 7, -3, 32), Is(PictureType::Bmp, 7, 3)},
        {"bmp, core header", Bmp(12, 300, 2, 8), Is(PictureType::Bmp, 300, 2)},
        {"bmp, header of 108, 1 bit", Bmp(108, 1, 1, 1), Is(PictureType::Bmp, 1, 1)},
        {"bmp, the most rows from the top", Bmp(40, 1, -0x7FFFFFFF),
         Is(PictureType::Bmp, 1, 0x7FFFFFFF)},
        {"bmp, rows beyond what a number holds", Bmp(40, 1, INT32_MIN), std::nullopt},
        {"bmp, negative width", Bmp(40, -7, 3), std::nullopt},
        {"bmp, height 0", Bmp(40, 7, 0), std::nullopt},
        {"bmp, unknown header size", Bmp(41, 7, 3), std::nullopt},
        {"bmp, 2 bits", Bmp(40, 7, 3, 2), std::nullopt},
        {"bmp, two planes", Bmp(40, 7, 3, 24, 2), std::nullopt},
        {"bmp, cut off in its bit count", Bmp(40, 7, 3).substr(0, 29), std::nullopt},
        {"empty", "", std::nullopt},
        {"gif", "GIF89a\x10\0\x10\0\0\0\0", std::nullopt},
        {"text", "just some text, not a picture", std::nullopt},
    };
}

TEST(PictureHeader, SizesFromTheFirstBytesAndNothingFromDamagedOnes) {
    for (const Case& c : Cases()) {
        ExpectHeader(PictureHeaderOf(c.bytes), c.expected, c.what);
        // Every case gives its answer from the header alone: whatever follows it changes nothing,
        // and a file cut off gives nothing until its header is whole, then that size.
        if (c.expected) {
            ExpectHeader(PictureHeaderOf(c.bytes + std::string(100, '\xFF')), c.expected, c.what);
            bool whole = false;
            for (std::size_t cut = 0; cut <= c.bytes.size(); cut += 1 + cut / 64) {
                const auto got = PictureHeaderOf(c.bytes.substr(0, cut));
                EXPECT_TRUE(!whole || got) << c.what << " cut to " << cut;
                EXPECT_TRUE(cut > 12 || !got) << c.what << " cut to " << cut;
                whole = got.has_value();
                if (whole) {
                    ExpectHeader(got, c.expected, c.what);
                }
            }
        }
    }
}

TEST(PictureHeader, AFileIsReadAsFarAsItsHeaderAndOnlyARegularOne) {
    TempFolder folder;
    for (const Case& c : Cases()) {
        const std::string path = folder.Path() + "/picture";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
        ExpectHeader(ReadPictureHeader(path), c.expected, c.what);
    }
    // Frame headers behind many long segments, as a camera writes them, beyond the first reads.
    std::string camera("\xFF\xD8", 2);
    for (int i = 0; i < 20; ++i) {
        camera += Segment(0xE2, std::string(65000, static_cast<char>('a' + i)));
    }
    camera += Jpeg(4000, 3000).substr(2);
    const std::string path = folder.Path() + "/camera.jpg";
    std::ofstream(path, std::ios::binary) << camera;
    ExpectHeader(ReadPictureHeader(path), Is(PictureType::Jpeg, 4000, 3000), "camera");

    // Written by another program (the fuzz target's seeds).
    const std::string seeds = TVX_SOURCE_DIR "/fuzz/seeds/pictures/";
    ExpectHeader(ReadPictureHeader(seeds + "small.png"), Is(PictureType::Png, 3, 2), "png");
    ExpectHeader(ReadPictureHeader(seeds + "small.jpg"), Is(PictureType::Jpeg, 5, 4), "jpeg");
    ExpectHeader(ReadPictureHeader(seeds + "progressive.jpg"), Is(PictureType::Jpeg, 4, 3), "jpeg");
    ExpectHeader(ReadPictureHeader(seeds + "small.bmp"), Is(PictureType::Bmp, 7, 3), "bmp");
    ExpectHeader(ReadPictureHeader(seeds + "v5.bmp"), Is(PictureType::Bmp, 2, 2), "bmp v5");

    EXPECT_FALSE(ReadPictureHeader(folder.Path() + "/missing.png"));
    EXPECT_FALSE(ReadPictureHeader(folder.Path())) << "a folder";
    const std::string pipe = folder.Path() + "/pipe.png";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(ReadPictureHeader(pipe)) << "a pipe, at once";
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A copy cut off on its way keeps a sound header; the PNG and BMP decoders refuse it, so it is
// no whole picture, while a cut JPEG is shown (filled with grey) and counts as whole.
TEST(PictureHeader, AWholePictureIsAllThereAndACutOneIsNot) {
    const std::string seeds = TVX_SOURCE_DIR "/fuzz/seeds/pictures/";
    // kPixel with an ancillary text chunk after its image header, check sum as given.
    const auto withText = [](const std::string& crc) {
        return kPixel.substr(0, 33) + BigEndian(2, 4) + "tEXtab" + crc + kPixel.substr(33);
    };
    const std::size_t idatData = kPixel.find("IDAT") + 4;
    const struct {
        const char* what;
        std::string bytes;
        bool whole;
        bool wholeWhenCut;
    } cases[] = {
        {"png of another program", FileBytes(seeds + "small.png"), true, false},
        {"png, bytes after its end chunk", Picture(500), true, false},
        {"png, an ancillary chunk's check sum damaged", withText(std::string(4, '\0')), true, false},
        {"png, a critical chunk damaged", Changed(kPixel, idatData, 'y'), false, false},
        {"png, no end chunk", kPixel.substr(0, kPixel.find("IEND") - 4), false, false},
        {"jpeg of another program", FileBytes(seeds + "small.jpg"), true, true},
        {"jpeg, progressive", FileBytes(seeds + "progressive.jpg"), true, true},
        {"bmp of another program", FileBytes(seeds + "small.bmp"), true, false},
        {"bmp, information header of 124", FileBytes(seeds + "v5.bmp"), true, false},
        {"bmp, 7 x 3 of 24 bits in 16 bytes", Bmp(40, 7, 3), false, false},
        {"no picture", "just some text, not a picture", false, false},
    };
    TempFolder folder;
    const std::string path = folder.Path() + "/picture";
    for (const auto& c : cases) {
        EXPECT_EQ(PictureIsWhole(c.bytes), c.whole) << c.what;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
        EXPECT_EQ(ReadWholePicture(path).has_value(), c.whole) << c.what;
        if (c.whole) {
            ExpectHeader(ReadWholePicture(path), PictureHeaderOf(c.bytes), c.what);
        }
        // Cut anywhere after its header, up to its last byte (a PNG's end chunk's included).
        const std::size_t iend = c.bytes.find("IEND");
        const std::size_t end = iend == std::string::npos ? c.bytes.size() : iend + 8;
        for (std::size_t cut = 40; c.whole && cut < end; cut += 1 + cut / 8) {
            const std::string part = c.bytes.substr(0, std::min(cut, end - 1));
            EXPECT_EQ(PictureIsWhole(part), c.wholeWhenCut && PictureHeaderOf(part))
                << c.what << " cut to " << cut;
        }
    }
    EXPECT_FALSE(ReadWholePicture(folder.Path() + "/missing.png"));
}

}  // namespace
