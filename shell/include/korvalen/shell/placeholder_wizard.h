// Stands in for the input wizard in a build that does not have it: says so
// and comes back as if cancelled, so the list stays as it is.
#pragma once

#include "korvalen/platform/messages.h"
#include "korvalen/wizard/case_wizard.h"

namespace korvalen::shell {

class PlaceholderWizard final : public wizard::CaseWizardLauncher {
public:
    explicit PlaceholderWizard(platform::MessageService& messages) : messages_(&messages) {}
    wizard::WizardOutcome Run(wizard::WizardOpening opening, const wizard::T_SAIKEN_DATA_REC_NINI& handle,
                              QWidget* parent) override;

private:
    platform::MessageService* messages_;
};

}  // namespace korvalen::shell
