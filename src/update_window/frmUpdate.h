#pragma once

#include "runtime/ControlArray.h"
#include "runtime/Controls.h"
#include "runtime/Form.h"

#include <QString>

#include <cstdint>

namespace tolvar {

// The registry subkey of the product whose box was ticked last; empty until one is.
extern QString ProductKey;

// The update window: one row per product (tick box, installation directory, browse button),
// the progress label, and the update and exit buttons. Row i is product i.
class frmUpdate : public rt::Form {
    Q_OBJECT

public:
    frmUpdate();

    rt::Label* lblDataDir;
    rt::ControlArray<rt::CheckBox> chkPrd;
    rt::ControlArray<rt::TextBox> txtDataDir;
    rt::ControlArray<rt::CommandButton> cmdDataDir;
    rt::Label* lblProg;
    rt::CommandButton* cmdUpdate;
    rt::CommandButton* cmdexit;

    void cmdUpdate_Click();
    void cmdexit_Click();
    void chkPrd_Click(std::int16_t Index);
    void cmdDataDir_Click(std::int16_t Index);
    void UpdateNorvikOnMachine();

protected:
    void Form_Load() override;

private:
    void createControls();
    bool running_ = false;
};

} // namespace tolvar
