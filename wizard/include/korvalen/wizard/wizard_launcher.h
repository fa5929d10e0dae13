// The input wizard as the main window opens it: one TTavo50AF per run,
// prepared for the case, shown modally over the main window and destroyed
// when it closes.
#pragma once

#include "korvalen/wizard/case_wizard.h"
#include "korvalen/wizard/tavo50a_form.h"

namespace korvalen::wizard {

class WizardLauncher final : public CaseWizardLauncher {
public:
    explicit WizardLauncher(WizardServices services) : services_(services) {}

    // 新規 and 変更 open on the names page with the start page behind Back,
    // where the mode can still be changed (a stored case deleted); 参照
    // opens on the lender's table with the history already calculated.
    WizardOutcome Run(WizardOpening opening, const T_SAIKEN_DATA_REC_NINI& handle, QWidget* parent) override;

    // The wizard prepared for `opening` but not shown.
    static void Prepare(TTavo50AF& wizard, WizardOpening opening, const T_SAIKEN_DATA_REC_NINI& handle);

private:
    WizardServices services_;
};

}  // namespace korvalen::wizard
