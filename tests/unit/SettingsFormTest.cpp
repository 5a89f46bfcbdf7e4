#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "model/SettingsForm.h"

namespace {

FormSettings Sample() {
    FormSettings form;
    form.SizeX = 800;
    form.SizeY = 480;
    form.GridX = 20;
    form.GridY = 10;
    form.Form_PageStart = 0;
    form.Form_ConnectModus = 1;
    form.Form_FullScreen = 0;
    form.Destination_IP = {192, 168, 1, 5};
    form.Display_Off = 60;
    form.Display_Off_Dim = 30;
    form.Display_Bright = 255;
    form.Display_Bright_Dim = 100;
    form.Form_Password = L"1234";
    form.LayoutDirectory = L"/home/panel/layout";
    return form;
}

TEST(SettingsForm, FieldsShowTheSettingsWithTheStartPageCountedFromOne) {
    FormSettings form = Sample();
    form.Display_Off = 200;  // as a layout file may hold it: shown whole
    const SettingsFields f = SettingsFieldsOf(form);
    EXPECT_EQ(f.sizeX, L"800");
    EXPECT_EQ(f.sizeY, L"480");
    EXPECT_EQ(f.gridX, L"20");
    EXPECT_EQ(f.gridY, L"10");
    EXPECT_EQ(f.startPage, L"1");
    EXPECT_TRUE(f.lanModus);
    EXPECT_FALSE(f.busModus);
    EXPECT_FALSE(f.fullscreen);
    EXPECT_EQ(f.destinationIp[0], L"192");
    EXPECT_EQ(f.destinationIp[3], L"5");
    EXPECT_EQ(f.displayOff, L"200");
    EXPECT_EQ(f.displayOffDim, L"30");
    EXPECT_EQ(f.displayBright, L"255");
    EXPECT_EQ(f.displayBrightDim, L"100");
    EXPECT_EQ(f.password, L"1234");
    EXPECT_EQ(f.path, L"/home/panel/layout");

    form.Form_PageStart = INT_MAX;
    EXPECT_EQ(SettingsFieldsOf(form).startPage, L"2147483648");
}

TEST(SettingsForm, UnchangedFieldsStoreTheSameSettings) {
    const FormSettings before = Sample();
    FormSettings after = before;
    StoreSettingsFields(SettingsFieldsOf(before), after);
    EXPECT_EQ(after.SizeX, before.SizeX);
    EXPECT_EQ(after.SizeY, before.SizeY);
    EXPECT_EQ(after.GridX, before.GridX);
    EXPECT_EQ(after.GridY, before.GridY);
    EXPECT_EQ(after.Form_PageStart, before.Form_PageStart);
    EXPECT_EQ(after.Form_ConnectModus, before.Form_ConnectModus);
    EXPECT_EQ(after.Form_FullScreen, before.Form_FullScreen);
    EXPECT_EQ(after.Destination_IP, before.Destination_IP);
    EXPECT_EQ(after.Display_Off, before.Display_Off);
    EXPECT_EQ(after.Display_Off_Dim, before.Display_Off_Dim);
    EXPECT_EQ(after.Display_Bright, before.Display_Bright);
    EXPECT_EQ(after.Display_Bright_Dim, before.Display_Bright_Dim);
    EXPECT_EQ(after.Form_Password, before.Form_Password);
}

TEST(SettingsForm, StartPageIsCountedFromOneAndLimitedToTheFirstTenPages) {
    const std::pair<const wchar_t*, int> cases[] = {
        {L"1", 0},  {L"10", 9}, {L"0", 0},  {L"-3", 0},          {L"11", 9},
        {L"99", 9}, {L"5", 4},  {L"x7", 0}, {L"-2147483648", 0}, {L"99999999999", 9},
    };
    for (const auto& [text, stored] : cases) {
        FormSettings form = Sample();
        SettingsFields fields = SettingsFieldsOf(form);
        fields.startPage = text;
        StoreSettingsFields(fields, form);
        EXPECT_EQ(form.Form_PageStart, stored) << text;
    }
}

TEST(SettingsForm, SizesAreLimitedTo200Through9999) {
    const std::pair<const wchar_t*, int> cases[] = {
        {L"150", 200},  {L"200", 200}, {L"1024", 1024}, {L"9999", 9999},  {L"20000", 9999},
        {L"size", 200}, {L"", 200},    {L"-800", 200},  {L" 640px", 640},
    };
    for (const auto& [text, stored] : cases) {
        FormSettings form = Sample();
        SettingsFields fields = SettingsFieldsOf(form);
        fields.sizeX = text;
        fields.sizeY = text;
        StoreSettingsFields(fields, form);
        EXPECT_EQ(form.SizeX, stored) << text;
        EXPECT_EQ(form.SizeY, stored) << text;
    }
}

TEST(SettingsForm, DisplayValuesHaveUpperBoundsOnly) {
    struct Case {
        const wchar_t* off;
        const wchar_t* offDim;
        const wchar_t* bright;
        const wchar_t* brightDim;
        int storedOff, storedOffDim, storedBright, storedBrightDim;
    };
    for (const Case& c : {
             Case{L"200", L"10", L"0", L"0", 180, 10, 0, 0},
             Case{L"30", L"45", L"300", L"255", 30, 30, 255, 255},
             Case{L"99", L"99", L"-1", L"-1", 99, 99, -1, -1},
             Case{L"-5", L"10", L"256", L"999", -5, -5, 255, 255},  // dim follows off down
             Case{L"200", L"190", L"abc", L"", 180, 180, 0, 0},
         }) {
        FormSettings form = Sample();
        SettingsFields fields = SettingsFieldsOf(form);
        fields.displayOff = c.off;
        fields.displayOffDim = c.offDim;
        fields.displayBright = c.bright;
        fields.displayBrightDim = c.brightDim;
        StoreSettingsFields(fields, form);
        EXPECT_EQ(form.Display_Off, c.storedOff) << c.off;
        EXPECT_EQ(form.Display_Off_Dim, c.storedOffDim) << c.off << " " << c.offDim;
        EXPECT_EQ(form.Display_Bright, c.storedBright) << c.bright;
        EXPECT_EQ(form.Display_Bright_Dim, c.storedBrightDim) << c.brightDim;
    }
}

TEST(SettingsForm, GridAndAddressAreStoredAsTyped) {
    FormSettings form = Sample();
    SettingsFields fields = SettingsFieldsOf(form);
    fields.gridX = L"0";
    fields.gridY = L"-7";
    fields.destinationIp = {L"300", L"-1", L"1a", L""};
    StoreSettingsFields(fields, form);
    EXPECT_EQ(form.GridX, 0);
    EXPECT_EQ(form.GridY, -7);
    EXPECT_EQ(form.Destination_IP, (std::array<int, 4>{300, -1, 1, 0}));
}

TEST(SettingsForm, ModeCheckBoxesAndFullscreen) {
    struct Case {
        bool lan, bus, fullscreen;
        int modus, fullscreenStored;
    };
    for (const Case& c : {Case{false, false, false, 0, 0}, Case{true, false, true, 1, 1},
                          Case{false, true, false, 2, 0}, Case{true, true, true, 2, 1}}) {
        FormSettings form = Sample();
        SettingsFields fields = SettingsFieldsOf(form);
        fields.lanModus = c.lan;
        fields.busModus = c.bus;
        fields.fullscreen = c.fullscreen;
        StoreSettingsFields(fields, form);
        EXPECT_EQ(form.Form_ConnectModus, c.modus) << c.lan << c.bus;
        EXPECT_EQ(form.Form_FullScreen, c.fullscreenStored);
    }
    // A mode the dialog does not offer shows neither box ticked.
    FormSettings odd = Sample();
    odd.Form_ConnectModus = 3;
    odd.Form_FullScreen = 5;
    const SettingsFields shown = SettingsFieldsOf(odd);
    EXPECT_FALSE(shown.lanModus);
    EXPECT_FALSE(shown.busModus);
    EXPECT_TRUE(shown.fullscreen);
}

TEST(SettingsForm, PasswordIsStoredExactlyAndThePathNever) {
    FormSettings form = Sample();
    SettingsFields fields = SettingsFieldsOf(form);
    fields.password = L" Grün 1 ";
    fields.path = L"/somewhere/else";
    StoreSettingsFields(fields, form);
    EXPECT_EQ(form.Form_Password, L" Grün 1 ");
    EXPECT_EQ(form.LayoutDirectory, L"/home/panel/layout");
    fields.password.clear();
    StoreSettingsFields(fields, form);
    EXPECT_TRUE(form.Form_Password.empty());
}

}  // namespace
