// What the main window asks of the input wizard: open it for one case in
// one of its three ways, let the user work, and tell what came of it. The
// main window keeps to this, so it never reaches into the wizard's pages.
#pragma once

#include <cstdint>
#include <string>

#include "korvalen/wizard/case_handle.h"

class QWidget;

namespace korvalen::wizard {

// How the main window opens the wizard; the values are the Tags of its
// buttons 新規 (0), 変更 (1) and 参照 (2).
enum class WizardOpening { New = 0, Change = 1, Reference = 2 };

// The wizard's modal results.
inline constexpr int kWizardFinished = 6;   // mrYes: the last page was left with 完了
inline constexpr int kWizardCancelled = 2;  // Cancel, the close box, or after a deletion

struct WizardOutcome {
    int modalResult = kWizardCancelled;
    // 新規作成 or 入力済データの計算条件の変更 was selected when the wizard
    // closed: only then did 完了 save the case.
    bool savedMode = false;
    std::string creditor;  // 債権者名 (LabeledEdit1) as the wizard closed
    std::string debtor;    // 債務者名 (LabeledEdit2)
    int entryCount = 0;    // entries of the history list
    bool deleted = false;  // the case was deleted on the first page
    // The case number the save used. A new case is stored under another
    // number than the one offered when another PC took that one meanwhile;
    // -1 stands for the number of the handle.
    std::int32_t seq = -1;
};

class CaseWizardLauncher {
public:
    virtual ~CaseWizardLauncher() = default;
    // Creates the wizard for `handle`'s case, shows it modally over
    // `parent` and destroys it. A New opening gets a handle whose SEQ is the
    // new case number; Change and Reference load the stored case first.
    virtual WizardOutcome Run(WizardOpening opening, const T_SAIKEN_DATA_REC_NINI& handle, QWidget* parent) = 0;
};

}  // namespace korvalen::wizard
