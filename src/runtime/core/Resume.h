#pragma once

#include "runtime/core/Failure.h"

#include <string>
#include <utility>

// The continue-with-the-next-statement discipline. A procedure that ignores or reports its
// failures wraps each statement in one of these, so a failing statement is abandoned at the
// point of failure and the procedure goes on with the one after it.
namespace tolvar::rt {

// Runs one statement; a failure is dropped. Returns whether the statement completed.
template <class Statement> bool step(Statement&& statement) {
    try {
        std::forward<Statement>(statement)();
        return true;
    } catch (const Failure&) {
        return false;
    }
}

// Runs one statement; a failure is handed to `report` with its description, then dropped.
template <class Statement, class Report> bool step(Statement&& statement, Report&& report) {
    try {
        std::forward<Statement>(statement)();
        return true;
    } catch (const Failure& failure) {
        std::forward<Report>(report)(failure.description());
        return false;
    }
}

// The test of a conditional under continue-with-next: a test that fails counts as passed,
// because the statement after a failing test is the first of the conditional's body.
template <class Test> bool passes(Test&& test) {
    try {
        return static_cast<bool>(std::forward<Test>(test)());
    } catch (const Failure&) {
        return true;
    }
}

template <class Test, class Report> bool passes(Test&& test, Report&& report) {
    try {
        return static_cast<bool>(std::forward<Test>(test)());
    } catch (const Failure& failure) {
        std::forward<Report>(report)(failure.description());
        return true;
    }
}

} // namespace tolvar::rt
