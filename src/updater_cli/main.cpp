// tolvar-norvik-update: the update without a window, for deployment tools and scripts. It never
// shows a window or waits for input; its outcome is its exit status and its output.
#include "platform/RunningProgram.h"
#include "runtime/core/Failure.h"
#include "updater_cli/CommandLine.h"
#include "updater_cli/ExitCodes.h"
#include "updater_cli/Output.h"
#include "updater_cli/Progress.h"
#include "updater_cli/UnattendedUpdate.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

using namespace tolvar;

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // Known before the options are read, so a tool that asked for JSON gets it for a wrong one.
    const bool json = std::find(arguments.begin(), arguments.end(), "--json") != arguments.end();
    try {
        const cli::Options options = cli::parse(arguments);
        if (options.help) {
            std::cout << cli::helpText();
            return cli::exitcode::Done;
        }
        if (options.version) {
            std::cout << "tolvar-norvik-update " TOLVAR_VERSION "\n";
            return cli::exitcode::Done;
        }
        cli::Progress progress(platform::standardErrorIsTerminal());
        const cli::Report report =
            cli::runUpdate(options, platform::executableDirectory(), progress);
        std::cout << (json ? cli::jsonDocument(report) : cli::humanLines(report)) << std::flush;
        return report.exitCode();
    } catch (const rt::Failure& failure) {
        if (json) {
            std::cout << cli::jsonSetUpError(failure.description()) << std::flush;
        }
        std::cerr << "tolvar-norvik-update: " << failure.description() << '\n';
        return cli::exitcode::SetUpError;
    }
}
