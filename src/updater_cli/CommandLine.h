#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The command-line updater's options, as a deployment tool passes them.
namespace tolvar::cli {

struct Options {
    // Products named with --product or --dir, in the order given; empty: every product the
    // registry records.
    std::vector<std::string> products;
    std::map<std::string, std::filesystem::path> directories;
    std::optional<std::filesystem::path> source;
    bool check = false;
    bool json = false;
    bool help = false;
    bool version = false;
};

// The options, or raises rt::Failure with what is wrong with them. Product names are taken in
// any letter case and kept as the product spells itself.
Options parse(const std::vector<std::string>& arguments);

// The --help text: usage, options and exit codes.
std::string helpText();

} // namespace tolvar::cli
