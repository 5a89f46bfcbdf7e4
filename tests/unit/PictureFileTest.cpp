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
#include "model/File.h"
#include "model/Layout.h"
#include "model/Paths.h"
#include "model/Prompter.h"

namespace {

/// Records the messages the lookup shows.
class RecordingPrompter : public Prompter {
  public:
    bool ChooseDirectory(const std::wstring&, const std::wstring&, std::wstring&) override {
        return false;
    }
    void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
    Answer AskYesNoCancel(const std::wstring&, const std::wstring&) override {
        return Answer::Cancel;
    }
    Answer AskYesNo(const std::wstring&, const std::wstring&) override { return Answer::No; }
    void ExitProcess(int) override {}

    std::vector<std::wstring> messages;
};

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
        m_folder = testing::TempDir() + "tvx-picture-XXXXXX";
        ASSERT_NE(::mkdtemp(m_folder.data()), nullptr);
        m_layout = std::make_unique<Layout>();
        m_layout->Form.LayoutDirectory = TextFromNative(m_folder);
        Write("defaultButton.png", "default picture");
        Write("abcde", "five");
        Write("lamp-on.png", "lamp on picture");
        SetPrompter(&m_prompter);
    }
    void TearDown() override {
        GetPictureFile().Close();
        SetPrompter(nullptr);
        std::filesystem::remove_all(m_folder);
    }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(m_folder + "/" + name, std::ios::binary) << bytes;
    }
    std::wstring Path(const std::string& name) const {
        return TextFromNative(m_folder + "/" + name);
    }
    /// Everything the shared picture file gives from where it stands.
    static std::string ReadAll() {
        PictureFile& file = GetPictureFile();
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

    std::string m_folder;
    std::unique_ptr<Layout> m_layout;
    RecordingPrompter m_prompter;
};

TEST_F(PictureLookup, OpensTheNamedPictureOrFallsBackToTheDefault) {
    struct Case {
        std::wstring name;
        std::string opened;   ///< file name in the folder
        std::string message;  ///< missing file named in the message, empty for none
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
        m_prompter.messages.clear();
        std::wstring name = c.name;
        File().OpenPictureFile(*m_layout, name);
        EXPECT_EQ(name, Path(c.opened));
        if (c.message.empty()) {
            EXPECT_TRUE(m_prompter.messages.empty());
        } else {
            ASSERT_EQ(m_prompter.messages.size(), 1u);
            EXPECT_EQ(m_prompter.messages[0], L"Datei nicht vorhanden:\n" + Path(c.message));
        }
        ASSERT_TRUE(GetPictureFile().IsOpen());
        EXPECT_EQ(ReadAll(), c.contents);
        EXPECT_EQ(File::PictureFilePath(*m_layout, c.name), Path(c.opened));
    }
}

TEST_F(PictureLookup, WithoutTheDefaultPictureNothingIsOpen) {
    std::filesystem::remove(m_folder + "/defaultButton.png");
    std::wstring name = L"abcde";
    File().OpenPictureFile(*m_layout, name);
    ASSERT_TRUE(GetPictureFile().IsOpen());

    name = L"lamp.png";
    File().OpenPictureFile(*m_layout, name);
    EXPECT_FALSE(GetPictureFile().IsOpen());
    EXPECT_EQ(m_prompter.messages.size(), 1u);
    EXPECT_EQ(name, Path("defaultButton.png"));
    EXPECT_FALSE(GetPictureFile().Length().has_value());
}

TEST_F(PictureLookup, ANewOpenClosesTheOldFileFirst) {
    std::wstring name = L"lamp-on.png";
    File().OpenPictureFile(*m_layout, name);
    std::uint8_t two[2];
    ASSERT_TRUE(GetPictureFile().Read(two, 2));

    // A file read half-way must not lend its position or its bytes to the next one.
    name = L"abcde";
    File().OpenPictureFile(*m_layout, name);
    EXPECT_EQ(ReadAll(), "five");

    const std::size_t before = OpenDescriptors();
    for (int i = 0; i < 200; ++i) {
        name = i % 2 == 0 ? L"abcde" : L"a.jp";
        File().OpenPictureFile(*m_layout, name);
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(PictureLookup, AFileEndingTooSoonIsAReadError) {
    std::wstring name = L"abcde";
    File().OpenPictureFile(*m_layout, name);
    std::uint8_t bytes[5];
    EXPECT_FALSE(GetPictureFile().Read(bytes, 5));
}

TEST_F(PictureLookup, APipeInThePicturesPlaceIsNeitherOpenedNorWaitedFor) {
    ASSERT_EQ(::mkfifo((m_folder + "/pipe.png").c_str(), 0600), 0);
    std::wstring name = L"pipe.png";
    File().OpenPictureFile(*m_layout, name);
    // Not a regular file: taken for missing, and the default picture is opened instead.
    EXPECT_EQ(name, Path("defaultButton.png"));
    EXPECT_EQ(m_prompter.messages.size(), 1u);
    EXPECT_FALSE(GetPictureFile().Open(m_folder + "/pipe.png"));
}

TEST_F(PictureLookup, AFourCharacterNameSendsTheDefaultPictureUnderThatName) {
    LayoutFolderSource source(*m_layout);
    TransferProtocol protocol;
    std::string wire;
    protocol.Begin(L"a.jp");
    auto step = protocol.Greeting(source);
    for (int i = 0; i < 10 && !step.close; ++i) {
        wire.append(step.send.begin(), step.send.end());
        step = protocol.OnAck('>', source);
    }
    wire.append(step.send.begin(), step.send.end());
    EXPECT_EQ(wire, std::string("TVXa.jp\0\0\x0F", 10) + "default picture");
    EXPECT_TRUE(m_prompter.messages.empty());
    EXPECT_EQ(protocol.State(), TransferProtocol::kDone);
}

}  // namespace
