#include "updater_cli/CommandLine.h"

#include "runtime/core/Failure.h"
#include "update_engine/UpdateEngine.h"

#include <algorithm>
#include <cctype>

namespace tolvar::cli {

namespace {

std::string productNamed(const std::string& name) {
    const auto same = [&](std::string_view product) {
        return std::equal(product.begin(), product.end(), name.begin(), name.end(),
                          [](char a, char b) { return std::tolower(a) == std::tolower(b); });
    };
    const auto found = std::find_if(engine::Products.begin(), engine::Products.end(), same);
    if (found == engine::Products.end()) {
        rt::raise("Unknown product '" + name + "' (Lumeo or Vantro)");
    }
    return std::string(*found);
}

void choose(Options& options, const std::string& product) {
    if (std::find(options.products.begin(), options.products.end(), product) ==
        options.products.end()) {
        options.products.push_back(product);
    }
}

} // namespace

Options parse(const std::vector<std::string>& arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 == arguments.size()) {
                rt::raise("Option " + argument + " needs a value");
            }
            return arguments[++i];
        };
        if (argument == "--product") {
            choose(options, productNamed(value()));
        } else if (argument == "--dir") {
            const std::string& assignment = value();
            const std::size_t equals = assignment.find('=');
            if (equals == std::string::npos || equals + 1 == assignment.size()) {
                rt::raise("--dir takes PRODUCT=PATH, not '" + assignment + "'");
            }
            const std::string product = productNamed(assignment.substr(0, equals));
            options.directories[product] = assignment.substr(equals + 1);
            choose(options, product);
        } else if (argument == "--source") {
            options.source = value();
        } else if (argument == "--check") {
            options.check = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else {
            rt::raise("Unknown option '" + argument + "' (see --help)");
        }
    }
    return options;
}

std::string helpText() {
    return R"(Usage: tolvar-norvik-update [OPTION]...
Updates the Norvik folder of Tolvar's products on this machine, without a window.

For each chosen product it replaces <install directory>/Norvik with a copy of the source folder,
unless the two are already the same. Before the first replace it ends the running processes
norvikAgent.exe, norvikAgentW.exe and Node.exe (the first of each name). A failed replace leaves
the product's folder as it was.

Options:
  --product NAME     update this product (Lumeo or Vantro); may be repeated.
                     Default: every product whose InstallPath the registry records
                     (HKEY_LOCAL_MACHINE\Software\TolvarInfo\<product>).
  --dir NAME=PATH    use PATH as the product's install directory; also chooses the product
  --source DIR       the folder to install (default: the Norvik folder beside this program)
  --check            say what would be done; change nothing and end no process
  --json             write one JSON document to standard output instead of lines
  --help             show this text
  --version          show the version

Each product's outcome is one of: updated, unchanged, would-update (with --check),
not-installed (no install directory, or it is not a folder), failed.
A progress bar goes to standard error while copying when that is a terminal.

Exit status:
     0  every chosen product is updated or unchanged (with --check: nothing failed)
     1  at least one product failed, or a product named with --product or --dir is not
        installed; each failed product's Norvik folder is as it was
     2  nothing was done: unknown option or product, unreadable option, no source folder
  1618  another update was working on a product's folder and nothing else failed: try again
        later (Windows Installer's code for this, which deployment tools already retry).
        82 on Linux, where an exit status has 8 bits (1618 mod 256)
)";
}

} // namespace tolvar::cli
