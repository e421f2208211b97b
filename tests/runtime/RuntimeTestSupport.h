#pragma once

#include "runtime/Form.h"
#include "runtime/core/Failure.h"

#include <array>
#include <string>

namespace tolvar::rt::test {

// A form with no design of its own, for tests that place their controls on it.
class BlankForm : public Form {
public:
    BlankForm() : Form(QStringLiteral("frmTest")) { move(0, 0, 7200, 5400); }
};

// Left, top, width and height in twips, of a control or a form.
using Twips = std::array<float, 4>;
template <class Placed> Twips twipsOf(const Placed& placed) {
    return {placed.left(), placed.top(), placed.width(), placed.height()};
}

// The description of the failure `action` raises, or empty when it raises none.
template <class Action> std::string failureOf(Action&& action) {
    try {
        action();
    } catch (const Failure& failure) {
        return failure.description();
    }
    return {};
}

} // namespace tolvar::rt::test
