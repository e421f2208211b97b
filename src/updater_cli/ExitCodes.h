#pragma once

// What the command-line updater's exit status tells a deployment tool.
namespace tolvar::cli::exitcode {

// Every chosen product is updated or unchanged (or, with --check, would be updated).
inline constexpr int Done = 0;
// At least one product failed; its Norvik folder is as it was.
inline constexpr int ProductFailed = 1;
// Nothing was done: a wrong option, an unknown product, no source folder.
inline constexpr int SetUpError = 2;
// Another update was working on a product's folder; what Windows Installer answers in that case,
// which deployment tools take as "try again later". A POSIX exit status keeps only the low 8 bits,
// where 1618 arrives as 82; CMake sets 82 there in the first place, so the status and the JSON
// document agree.
inline constexpr int UpdateInProgress = TOLVAR_EXIT_UPDATE_IN_PROGRESS;

} // namespace tolvar::cli::exitcode
