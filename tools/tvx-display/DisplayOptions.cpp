#include "DisplayOptions.h"

#include "OptionValues.h"

CommandLineTable DisplayCommandLine(DisplayOptions& options) {
    CommandLineTable table;
    table.program = "tvx-display";
    table.arguments = "LAYOUT-FOLDER";
    table.about =
        "Dims and switches off the display of a panel when nobody has touched it for a\n"
        "while, beside the panel program on the same X display, as the layout's main\n"
        "settings say: \"Bright On\" (Display_Bright), \"Bright Dim\" (Display_Bright_Dim),\n"
        "\"Display Dim(min)\" (Display_Off_Dim) and \"Display Off(min)\" (Display_Off) in\n"
        "tvxdef.ini. The file is read again when it changes; until there is one (a new\n"
        "panel, whose folder may not even be there yet) the display is left alone.\n";
    table.listed = {{"LAYOUT-FOLDER", "the layout folder, with tvxdef.ini in it"}};
    table.options = {
        {"--backlight", "DIR",
         "the backlight folder to use (with brightness and\n"
         "max_brightness); default: the first writable one in\n"
         "/sys/class/backlight",
         [&options](const std::string& value) {
             options.backlight = value;
             return value.empty() ? "an empty name" : "";
         }},
        {"--minute-seconds", "N", "a minute of the display times lasts N seconds (for trying)",
         TakeSeconds(options.minute)},
    };
    table.more =
        "After the dim time without input the brightness goes to Bright Dim, after the off\n"
        "time the display goes off (brightness 0 and DPMS off); a dim time not below the\n"
        "off time has no dim step, a time of 0 no step at all. Input brings Bright On back\n"
        "at once, and the touch that wakes the display is taken by a window over the whole\n"
        "screen: it presses no button. Brightness is 0 ... 255; Bright On 0 leaves the\n"
        "brightness as it is found and puts that back after a dim or off. With nothing set\n"
        "(all four 0) the display is left alone. Without a writable backlight the X server's\n"
        "RandR gamma dims the screen; what is not there (a backlight, RandR, DPMS) is\n"
        "skipped with a line saying so.\n"
        "\n"
        "Standard output gets the backends chosen ('backends: ...'), the settings read\n"
        "('settings: ...') and one line for each change: 'dim: brightness 40 of 255',\n"
        "'off: brightness 0 of 255, DPMS off', 'on: brightness 200 of 255'.\n"
        "SIGINT and SIGTERM end it, the brightness and the display put back on first.\n"
        "\n"
        "Exit code: 0 when stopped, 1 without an X display with the screen saver extension\n"
        "(which tells the idle time) or when the X display ends (a backlight is put back\n"
        "first), 2 for a wrong command line or a LAYOUT-FOLDER that is no folder.\n";
    table.takeArgument = TakeOneArgument(options.folder, "layout folder");
    table.check = [&options]() -> std::string {
        return options.folder.empty() ? "no layout folder given" : "";
    };
    return table;
}
