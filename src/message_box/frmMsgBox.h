#pragma once

#include "runtime/ControlArray.h"
#include "runtime/Controls.h"
#include "runtime/Form.h"
#include "runtime/MessageBoxStyle.h"

#include <cstdint>

namespace tolvar {

// The window of the program's own message box. It hands the chosen button's result code to
// modMain::MsgBoxResult and unloads itself; a box with more than one button can be left only
// through its buttons.
class frmMsgBox : public rt::Form {
    Q_OBJECT

public:
    frmMsgBox();

    // The caption a button carries for a result code.
    static QString buttonCaption(rt::MsgBoxResultCode code);

    rt::Label* lblMsg;
    rt::ControlArray<rt::CommandButton> cmdAction;
    rt::Image* imgE;
    rt::Image* imgI;
    rt::Image* imgC;
    rt::Image* imgQ;

protected:
    void Form_Load() override;
    void Form_QueryUnload(bool& cancel, rt::UnloadReason reason) override;
    void Form_KeyPress(int& keyAscii) override;

private:
    void cmdAction_Click(std::int16_t Index);
    void SetResultFromCaption(std::int16_t Index);
};

} // namespace tolvar
