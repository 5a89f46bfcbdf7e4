#include "model/SettingsForm.h"

#include <algorithm>

#include "model/NumberReading.h"

namespace {
std::wstring Decimal(int value) {
    return std::to_wstring(value);
}
}  // namespace

SettingsFields SettingsFieldsOf(const FormSettings& form) {
    SettingsFields fields;
    fields.sizeX = Decimal(form.SizeX);
    fields.sizeY = Decimal(form.SizeY);
    fields.gridX = Decimal(form.GridX);
    fields.gridY = Decimal(form.GridY);
    fields.lanModus = form.Form_ConnectModus == 1;
    fields.busModus = form.Form_ConnectModus == 2;
    fields.fullscreen = form.Form_FullScreen != 0;
    // Widened: a start page of INT_MAX read from elsewhere must not overflow.
    fields.startPage = std::to_wstring(static_cast<long long>(form.Form_PageStart) + 1);
    fields.path = form.LayoutDirectory;
    for (std::size_t i = 0; i < fields.destinationIp.size(); ++i) {
        fields.destinationIp[i] = Decimal(form.Destination_IP[i]);
    }
    fields.password = form.Form_Password;
    fields.displayOff = Decimal(form.Display_Off);
    fields.displayOffDim = Decimal(form.Display_Off_Dim);
    fields.displayBright = Decimal(form.Display_Bright);
    fields.displayBrightDim = Decimal(form.Display_Bright_Dim);
    return fields;
}

void StoreSettingsFields(const SettingsFields& fields, FormSettings& form) {
    form.GridX = ReadWideInt(fields.gridX);
    form.GridY = ReadWideInt(fields.gridY);
    form.SizeX = std::clamp(ReadWideInt(fields.sizeX), kSmallestPanelSide, kLargestPanelSide);
    form.SizeY = std::clamp(ReadWideInt(fields.sizeY), kSmallestPanelSide, kLargestPanelSide);
    // Widened before the 1 comes off: the field has no length limit.
    form.Form_PageStart = static_cast<int>(std::clamp<long long>(
        static_cast<long long>(ReadWideInt(fields.startPage)) - 1, 0, kLastStartPage));
    form.Form_ConnectModus = fields.busModus ? 2 : fields.lanModus ? 1 : 0;
    form.Form_FullScreen = fields.fullscreen ? 1 : 0;
    for (std::size_t i = 0; i < fields.destinationIp.size(); ++i) {
        form.Destination_IP[i] = ReadWideInt(fields.destinationIp[i]);
    }
    form.Display_Off = std::min(ReadWideInt(fields.displayOff), kLongestDisplayMinutes);
    form.Display_Off_Dim =
        std::min({ReadWideInt(fields.displayOffDim), kLongestDisplayMinutes, form.Display_Off});
    form.Display_Bright = std::min(ReadWideInt(fields.displayBright), kBrightest);
    form.Display_Bright_Dim = std::min(ReadWideInt(fields.displayBrightDim), kBrightest);
    form.Form_Password = fields.password;
}
