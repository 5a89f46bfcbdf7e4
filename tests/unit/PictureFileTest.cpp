#include "TempFolder.h"
#include "model/PictureFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "link/TransferProtocol.h"
#include "model/Layout.h"
#include "model/Paths.h"

namespace {

std::size_t OpenDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

/// A layout folder with a default button picture and a picture of its own.
class PictureLookup : public testing::Test {
  protected:
    void SetUp() override {
        m_layout = std::make_unique<Layout>();
        m_layout->Form.LayoutDirectory = TextFromNative(m_folder);
        Write("defaultButton.png", "default picture");
        Write("abcde", "five");
        Write("lamp-on.png", "lamp on picture");
    }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(m_folder + "/" + name, std::ios::binary) << bytes;
    }
    std::wstring Path(const std::string& name) const {
        return TextFromNative(m_folder + "/" + name);
    }
    /// Opens a file of the folder as a transfer does; a missing one is recorded in m_missing.
    /// Gives the path that was to be opened.
    std::wstring Open(const std::wstring& name) {
        LayoutFolderSource source(*m_layout, m_file,
                                  [this](const std::wstring& path) { m_missing.push_back(path); });
        const bool opened = source.Open(name);
        EXPECT_EQ(opened, m_file.IsOpen());
        return TextFromNative(FindPicture(m_layout->Form.LayoutDirectory, name).path);
    }
    /// Everything the picture file gives from where it stands.
    std::string ReadAll() {
        PictureFile& file = m_file;
        const auto length = file.Length();
        if (!length) {
            return "(closed)";
        }
        std::string bytes(*length, '\0');
        if (!file.Read(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size())) {
            return "(read error)";
        }
        return bytes;
    }

    TempFolder m_temp{"tvx-picture"};
    const std::string m_folder = m_temp.Path();
    std::unique_ptr<Layout> m_layout;
    PictureFile m_file;
    std::vector<std::wstring> m_missing;
};

TEST_F(PictureLookup, OpensTheNamedPictureOrFallsBackToTheDefault) {
    struct Case {
        std::wstring name;
        std::string opened;   ///< file name in the folder
        std::string missing;  ///< missing file reported, empty for none
        std::string contents;
    };
    const Case cases[] = {
        {L"abcde", "abcde", "", "five"},
        {L"lamp-on.png", "lamp-on.png", "", "lamp on picture"},
        {L"a.jp", "defaultButton.png", "", "default picture"},
        {L"", "defaultButton.png", "", "default picture"},
        {L"lamp.png", "defaultButton.png", "lamp.png", "default picture"},
        {L"Lamp-On.png", "defaultButton.png", "Lamp-On.png", "default picture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(NativeName(c.name));
        m_missing.clear();
        EXPECT_EQ(Open(c.name), Path(c.opened));
        if (c.missing.empty()) {
            EXPECT_TRUE(m_missing.empty());
        } else {
            EXPECT_EQ(m_missing, std::vector<std::wstring>{Path(c.missing)});
        }
        ASSERT_TRUE(m_file.IsOpen());
        EXPECT_EQ(m_file.Path(), NativeName(Path(c.opened)));
        EXPECT_EQ(ReadAll(), c.contents);
    }
}

TEST_F(PictureLookup, WithoutTheDefaultPictureNothingIsOpen) {
    std::filesystem::remove(m_folder + "/defaultButton.png");
    Open(L"abcde");
    ASSERT_TRUE(m_file.IsOpen());

    EXPECT_EQ(Open(L"lamp.png"), L"");
    EXPECT_FALSE(m_file.IsOpen());
    EXPECT_EQ(m_missing, std::vector<std::wstring>{Path("lamp.png")});
    EXPECT_FALSE(m_file.Length().has_value());
}

TEST_F(PictureLookup, ANewOpenClosesTheOldFileFirst) {
    Open(L"lamp-on.png");
    std::uint8_t two[2];
    ASSERT_TRUE(m_file.Read(two, 2));

    // A file read half-way must not lend its position or its bytes to the next one.
    Open(L"abcde");
    EXPECT_EQ(ReadAll(), "five");

    const std::size_t before = OpenDescriptors();
    for (int i = 0; i < 200; ++i) {
        Open(i % 2 == 0 ? L"abcde" : L"a.jp");
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

// A layout folder may hold links: only what lies inside the folder is sent, so that a link to a
// file elsewhere cannot carry that file to another panel. The layout file is the exception: the
// panel loads and stores it wherever its link leads.
TEST_F(PictureLookup, OnlyFilesInsideTheFolderAreSent) {
    TempFolder elsewhere("tvx-elsewhere");
    elsewhere.Write("secret.png", "not for other panels");
    elsewhere.Write("tvxdef.ini", "the layout");
    std::filesystem::create_directory(m_folder + "/sub");
    Write("sub/deep.png", "below the folder");
    struct Case {
        std::string name;
        std::string target;  ///< where the link leads
        std::string opened;  ///< file name in the folder
        bool missing;
        std::string contents;
    };
    const Case cases[] = {
        {"out.png", elsewhere.At("secret.png"), "defaultButton.png", true, "default picture"},
        {"up.png", "../" + elsewhere.Path().substr(elsewhere.Path().rfind('/') + 1) + "/secret.png",
         "defaultButton.png", true, "default picture"},
        {"dangling.png", m_folder + "/none.png", "defaultButton.png", true, "default picture"},
        {"folder.png", m_folder + "/sub", "defaultButton.png", true, "default picture"},
        {"alias.png", "lamp-on.png", "lamp-on.png", false, "lamp on picture"},
        {"deep-link.png", "sub/deep.png", "sub/deep.png", false, "below the folder"},
        {"tvxdef.ini", elsewhere.At("tvxdef.ini"), "", false, "the layout"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(::symlink(c.target.c_str(), (m_folder + "/" + c.name).c_str()), 0);
        m_missing.clear();
        const std::wstring opened = Open(TextFromNative(c.name));
        EXPECT_EQ(opened,
                  c.opened.empty() ? TextFromNative(elsewhere.At("tvxdef.ini")) : Path(c.opened));
        EXPECT_EQ(m_missing.size(), c.missing ? 1u : 0u);
        EXPECT_EQ(ReadAll(), c.contents);
    }

    // The default picture itself leading out: nothing at all is sent in a missing one's place.
    std::filesystem::remove(m_folder + "/defaultButton.png");
    ASSERT_EQ(
        ::symlink(elsewhere.At("secret.png").c_str(), (m_folder + "/defaultButton.png").c_str()),
        0);
    EXPECT_EQ(Open(L"gone.png"), L"");
    EXPECT_FALSE(m_file.IsOpen());
    // A link put in the place of the file found is not followed by the open.
    EXPECT_FALSE(m_file.Open(m_folder + "/out.png"));
}

TEST_F(PictureLookup, AFileEndingTooSoonIsAReadError) {
    Open(L"abcde");
    std::uint8_t bytes[5];
    EXPECT_FALSE(m_file.Read(bytes, 5));
}

TEST_F(PictureLookup, APipeInThePicturesPlaceIsNeitherOpenedNorWaitedFor) {
    ASSERT_EQ(::mkfifo((m_folder + "/pipe.png").c_str(), 0600), 0);
    // Not a regular file: taken for missing, and the default picture is opened instead.
    EXPECT_EQ(Open(L"pipe.png"), Path("defaultButton.png"));
    EXPECT_EQ(m_missing, std::vector<std::wstring>{Path("pipe.png")});
    EXPECT_FALSE(m_file.Open(m_folder + "/pipe.png"));
}

TEST_F(PictureLookup, AFourCharacterNameSendsTheDefaultPictureUnderThatName) {
    LayoutFolderSource source(*m_layout, m_file);
    TransferProtocol protocol;
    std::string wire;
    protocol.Begin(L"a.jp");
    auto step = protocol.Greeting(source);
    for (int i = 0; i < 10 && !step.finish; ++i) {
        wire.append(step.send.begin(), step.send.end());
        protocol.StepSent();
        step = protocol.OnAck('>', source);
    }
    wire.append(step.send.begin(), step.send.end());
    EXPECT_EQ(wire, std::string("TVXa.jp\0\0\x0F", 10) + "default picture");
    EXPECT_TRUE(m_missing.empty());
    EXPECT_TRUE(step.finish);
}

}  // namespace
