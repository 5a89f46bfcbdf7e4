#pragma once

#include <string>
#include <vector>

/// What the panel program's command line asks for: `tolvamix [LAYOUT-FOLDER]`, `--help`,
/// `--version`. Read before the toolkit starts, so that none of it needs a display.
struct StartOptions {
    enum class Action {
        Run,      ///< run the panel, on `folder` when one is given, else ask for one
        Help,     ///< print the usage and end
        Version,  ///< print the version and end
        Wrong,    ///< print `problem` and the usage to the error output and end with code 2
    };

    Action action = Action::Run;
    std::string folder;  ///< the layout folder as given; empty: ask with the chooser
    std::string problem;
};

/// Reads the arguments after the program's name. "--" ends the options, so a folder may start
/// with a dash.
StartOptions ParseStartOptions(const std::vector<std::string>& args);

/// The usage text, for `--help` and after a wrong command line.
std::string StartUsage(const std::string& program);
