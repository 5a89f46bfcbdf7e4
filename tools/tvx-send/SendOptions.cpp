#include "SendOptions.h"

#include "OptionValues.h"

CommandLineTable SendCommandLine(SendOptions& options) {
    CommandLineTable table;
    table.program = "tvx-send";
    table.arguments = "FOLDER HOST[:PORT]...";
    table.about =
        "Sends a layout folder to one panel after another, as a panel's \"Transmit\" dialog\n"
        "does with \"Store && Transmit Layout\" and then \"Store && Transmit Picture\":\n"
        "first tvxdef.ini, then every picture the layout uses, in the panel's order, each\n"
        "over a connection of its own. Nothing is stored first: the files go as they are.\n"
        "TvxMenu.png and defaultButton.png go last when the layout does not name them: a\n"
        "new panel, which waits for its first layout, cannot start without them.\n";
    table.listed = {
        {"FOLDER", "the layout folder, with tvxdef.ini in it"},
        {"HOST[:PORT]",
         "a receiving panel: an IPv4 address or a host name, port 4001\n"
         "unless given"},
    };
    table.options = {
        {"--connect-timeout", "S",
         "give up on a panel that does not accept the connection\n"
         "within S seconds (default 2)",
         TakeSeconds(options.timeouts.connect)},
        {"--timeout", "S",
         "give up on a panel that does not answer a step or take our\n"
         "data within S seconds (default 10)",
         TakeSeconds(options.timeouts.step)},
    };
    table.more =
        "A picture that is not in the folder is sent as the panel does it: the bytes of\n"
        "defaultButton.png under the picture's name, and the line says so. A file of\n"
        "16 MiB or more does not fit the transfer and is not sent. A panel that cannot be\n"
        "reached or stops answering gets no further files.\n"
        "\n"
        "Standard output gets one line per file and panel:\n"
        "  'HOST:PORT NAME: sent, N bytes' (with what stood in for a missing picture), or\n"
        "  'HOST:PORT NAME: not sent, WHY'\n"
        "then 'HOST:PORT: K of N files sent' for each panel and 'K of P panels got every\n"
        "file'. On a terminal a progress line shows the file under way.\n"
        "\n"
        "Exit code: 0 when every panel got every file, 1 when one did not, 2 for a wrong\n"
        "command line or a folder without tvxdef.ini.\n";
    table.takeArgument = [&options](const std::string& value) -> std::string {
        if (options.folder.empty()) {
            options.folder = value;
            return value.empty() ? "the layout folder is an empty name" : "";
        }
        const auto panel = ParsePanelTarget(value);
        if (!panel) {
            return "not an IPv4 address or host name, with an optional :PORT: " + value;
        }
        options.panels.push_back(*panel);
        return "";
    };
    table.check = [&options]() -> std::string {
        if (options.folder.empty()) {
            return "no layout folder and no panel given";
        }
        return options.panels.empty() ? "no panel to send to" : "";
    };
    return table;
}
