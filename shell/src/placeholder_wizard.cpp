#include "korvalen/shell/placeholder_wizard.h"

namespace korvalen::shell {

wizard::WizardOutcome PlaceholderWizard::Run(wizard::WizardOpening, const wizard::T_SAIKEN_DATA_REC_NINI&, QWidget*) {
    messages_->Show(platform::MessageType::Information, platform::Buttons::Ok,
                    "「引直計算の入力ウイザード」は、このビルドにはまだ含まれていません。\r\n"
                    "事件の一覧・削除・複製は使えます。");
    return {};
}

}  // namespace korvalen::shell
