#pragma once

// How the program's process ends, so a script that starts it can tell a normal exit from one
// through a failure path.
namespace tolvar::exitstatus {

inline constexpr int Normal = 0;
// The update window could not load; the failure was shown or logged.
inline constexpr int LoadFailed = 1;
// The log could not be written.
inline constexpr int LogFailed = 2;

} // namespace tolvar::exitstatus
