// 引直計算の入力ウイザード: the dialog in which one case is created, looked
// at, changed or deleted. Its eight pages lead through the names, the start
// date and balance, the rates and methods and the history, run the
// lender's calculation and the recalculation on the way, show both tables
// and let the statement be previewed, printed or saved as a PDF; 完了
// stores the case.
#pragma once

#include <QDialog>
#include <vector>

#include "korvalen/engine/calculation.h"
#include "korvalen/engine/case_model.h"
#include "korvalen/platform/messages.h"
#include "korvalen/printing/statement_print.h"
#include "korvalen/storage/data_module.h"
#include "korvalen/wizard/case_handle.h"
#include "korvalen/wizard/case_wizard.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QToolButton;

namespace korvalen::wizard {

class DatePicker;
class DialogKeys;
class HistoryPage;
class ResultTableView;
class TLabeledEdit;
class TNumEdit;

// What the wizard works with; handed in by the program (or a test) and
// outliving every wizard.
struct WizardServices {
    // The tables, the settings with SEIREKI, and the process-wide
    // WesternCalendar, which the wizard sets as it is made.
    storage::KorvalenDB& dataModule;
    platform::MessageService& messages;
    // The calculation start date.
    DatePicker& datePicker;
    // The statement's preview, print and PDF on the last page, and Ctrl+P.
    printing::PrintServices& print;
};

// The pages by their index in the page control (TabSheet1 is 0).
enum WizardPage : int {
    kStartPage = 0,          // TabSheet1 引直計算の入力ウイザードの開始
    kNamesPage = 1,          // TabSheet2 債権者及び債務者の入力
    kRatesPage = 2,          // TabSheet3 借入基本データの入力
    kHistoryPage = 3,        // TabSheet4 借入・返済履歴の入力
    kLenderPage = 4,         // TabSheet5 業者計算の表示
    kRecalculationPage = 5,  // TabSheet6 引直計算の表示
    kStartDatePage = 6,      // TabSheet7 計算開始日の入力
    kStartBalancePage = 7,   // TabSheet8 計算開始時点の借入残高の入力
};
inline constexpr int kWizardPageCount = 8;

// The choice of the start page.
enum class WizardMode {
    New,        // 新規作成 (RadioButton6)
    Reference,  // 入力済データの参照 (RadioButton3)
    Change,     // 入力済データの計算条件の変更 (RadioButton4)
    Delete,     // 入力済データの削除 (RadioButton5)
};

inline constexpr const char* kNextCaption = "次へ(&N) >";
inline constexpr const char* kFinishCaption = "完了";

class TTavo50AF final : public QDialog {
    Q_OBJECT
public:
    // Sets WesternCalendar from SEIREKI and shows the start page with
    // empty lists.
    explicit TTavo50AF(WizardServices services, QWidget* parent = nullptr);
    ~TTavo50AF() override;

    // The case handle (the form's Tag): its SEQ is the case's number.
    void SetCaseHandle(const T_SAIKEN_DATA_REC_NINI& handle) { handle_ = handle; }
    const T_SAIKEN_DATA_REC_NINI& CaseHandle() const { return handle_; }

    // Fills the pages and the history list from the stored case of the
    // handle, selects 入力済データの参照 and disables 新規作成. A case that
    // is not stored leaves 新規作成 as the only choice and the names empty.
    // True when the case was found.
    bool LoadCase();
    // A case that is not stored yet: 新規作成 is the only choice.
    void PrepareNewCase();
    // Opened for reference: the recalculation copy made, the lender's
    // calculation run and its table shown, with nothing to go back to.
    void OpenForReference();
    // Shows `page` with `left` as the pages Back leads through, the last
    // first (the main window opens new and changed cases on the names page
    // with the start page behind it).
    void OpenAt(int page, std::vector<int> left = {});

    void SelectMode(WizardMode mode);
    WizardMode Mode() const;

    int CurrentPage() const;
    const std::vector<int>& PageHistory() const { return pageHistory_; }

    // The buttons under the pages.
    void NextBtnClick();
    void BackBtnClick();
    void CancelBtnClick();

    // The calculation start date (0 = none), shown in Edit2 and its label.
    void SetStartDate(engine::DayNumber day);
    engine::DayNumber StartDate() const { return startDay_; }
    // Edit2 or 計算開始年月日 clicked: a date through the date input.
    void PickStartDate();
    // The small clear button.
    void ClearStartDate() { SetStartDate(0); }

    // The case header as the pages hold it.
    engine::CaseRecord Header() const;
    const engine::HistoryList& History() const { return history_; }
    const engine::HistoryList& RecalculationCopy() const { return recalculationCopy_; }
    // What the main window learns when the wizard has closed.
    WizardOutcome Outcome() const;
    // The form handles Enter before its controls (every page but the grid's).
    bool EnterMovesFocus() const;

    // The recalculation page's buttons 印刷プレビュー（&V）, 印刷（&P） and
    // PDF保存（&D）.
    void PreviewBtnClick();
    void PrintBtnClick();
    void PdfBtnClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building the pages (tavo50a_layout.cpp).
    void BuildWindow();
    QWidget* AddPage(int index, const QString& heading, const QString& subheading);
    void BuildStartPage(QWidget* page);
    void BuildNamesPage(QWidget* page);
    void BuildStartDatePage(QWidget* page);
    void BuildStartBalancePage(QWidget* page);
    void BuildRatesPage(QWidget* page);
    void BuildHistoryPage(QWidget* page);
    void BuildLenderPage(QWidget* page);
    void BuildRecalculationPage(QWidget* page);

    // The flow (tavo50a_form.cpp).
    void GoForward(int page);
    void ShowPage(int page);
    void LeaveStartPage();
    bool LeaveStartDatePage();
    bool LeaveRatesPage();
    bool LeaveHistoryPage();
    void RunLenderCalculation();
    void RunRecalculation();
    engine::CalculationOptions CalculationSettings();
    void DeleteTheCase();
    void EmptyHistory();
    void Finish();
    void FocusFirstControl(int page);
    printing::StatementInput Statement() const;

    WizardServices services_;
    T_SAIKEN_DATA_REC_NINI handle_;
    engine::DayNumber startDay_ = 0;
    engine::HistoryList history_;
    engine::HistoryList recalculationCopy_;
    std::vector<int> pageHistory_;
    bool deleted_ = false;
    std::int32_t savedSeq_ = -1;
    DialogKeys* keys_ = nullptr;

    QStackedWidget* PageControl1 = nullptr;
    std::vector<QWidget*> TabSheets;
    // TabSheet1
    QRadioButton* RadioButton6 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QRadioButton* RadioButton5 = nullptr;
    // TabSheet2
    TLabeledEdit* LabeledEdit1 = nullptr;
    TLabeledEdit* LabeledEdit2 = nullptr;
    TLabeledEdit* LabeledEdit3 = nullptr;
    // TabSheet7
    QPushButton* StartDayBtn = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* StartDayLabel = nullptr;
    QToolButton* StartDayClearBtn = nullptr;
    // TabSheet8
    TNumEdit* NumEdit1 = nullptr;
    TNumEdit* NumEdit3 = nullptr;
    // TabSheet3
    TNumEdit* NumEdit10 = nullptr;
    QComboBox* KeisanG = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    TNumEdit* NumEdit2 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    // TabSheet4
    HistoryPage* historyPage_ = nullptr;
    // TabSheet5, TabSheet6
    ResultTableView* StringGrid1 = nullptr;
    ResultTableView* StringGrid3 = nullptr;
    QLabel* ClaimSummary = nullptr;
    QPushButton* PreviewBtn = nullptr;
    QPushButton* PrintBtn = nullptr;
    QPushButton* PdfBtn = nullptr;
    // Under the pages.
    QPushButton* BackBtn = nullptr;
    QPushButton* NextBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};

}  // namespace korvalen::wizard
