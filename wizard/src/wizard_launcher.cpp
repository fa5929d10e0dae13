#include "korvalen/wizard/wizard_launcher.h"

#include <memory>

namespace korvalen::wizard {

void WizardLauncher::Prepare(TTavo50AF& wizard, WizardOpening opening, const T_SAIKEN_DATA_REC_NINI& handle) {
    wizard.SetCaseHandle(handle);
    switch (opening) {
        case WizardOpening::New:
            wizard.PrepareNewCase();
            wizard.OpenAt(kNamesPage, {kStartPage});
            break;
        case WizardOpening::Change:
            // A case another PC deleted meanwhile opens as a new one: saving
            // it as a change would bring it back under its old number.
            if (wizard.LoadCase()) wizard.SelectMode(WizardMode::Change);
            wizard.OpenAt(kNamesPage, {kStartPage});
            break;
        case WizardOpening::Reference:
            wizard.LoadCase();
            wizard.SelectMode(WizardMode::Reference);
            wizard.OpenForReference();
            break;
    }
}

WizardOutcome WizardLauncher::Run(WizardOpening opening, const T_SAIKEN_DATA_REC_NINI& handle, QWidget* parent) {
    // Made for this run only; its lists go with it.
    const auto wizard = std::make_unique<TTavo50AF>(services_, parent);
    Prepare(*wizard, opening, handle);
    wizard->exec();
    return wizard->Outcome();
}

}  // namespace korvalen::wizard
