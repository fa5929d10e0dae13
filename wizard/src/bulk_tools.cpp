#include "korvalen/wizard/bulk_tools.h"

#include "korvalen/wizard/history_page.h"
#include "korvalen/wizard/tavo50aa_form.h"
#include "korvalen/wizard/tavo50ab_form.h"
#include "korvalen/wizard/tavo50ac_form.h"

namespace korvalen::wizard {
namespace {

template <typename Dialog>
void RunTool(platform::MessageService& messages, HistoryPage& page, QWidget& wizard,
             const std::function<void(QWidget*)>& screenPrint) {
    Dialog dialog(messages, page, &wizard);
    dialog.SetScreenPrint(screenPrint);
    dialog.exec();
}

}  // namespace

void ConnectBulkTools(HistoryPage& page, QWidget& wizard, platform::MessageService& messages,
                      std::function<void(QWidget*)> screenPrint) {
    QObject::connect(&page, &HistoryPage::RateChangeRequested, &wizard, [&page, &wizard, &messages, screenPrint] {
        RunTool<TTavo50AAF>(messages, page, wizard, screenPrint);
    });
    QObject::connect(
        &page, &HistoryPage::RepaymentGenerationRequested, &wizard,
        [&page, &wizard, &messages, screenPrint] { RunTool<TTavo50ABF>(messages, page, wizard, screenPrint); });
    QObject::connect(&page, &HistoryPage::RangeDeletionRequested, &wizard, [&page, &wizard, &messages, screenPrint] {
        RunTool<TTavo50ACF>(messages, page, wizard, screenPrint);
    });
}

}  // namespace korvalen::wizard
