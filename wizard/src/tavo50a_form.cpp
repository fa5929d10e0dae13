// The wizard's flow: the mode chosen on the start page, Next with the
// checks made when a page is left, Back through the pages left, Cancel,
// the calculations, the load and the save of the case.
#include "korvalen/wizard/tavo50a_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <algorithm>

#include "korvalen/engine/text_forms.h"
#include "korvalen/platform/settings_store.h"
#include "korvalen/printing/screen_print.h"
#include "korvalen/storage/case_store.h"
#include "korvalen/wizard/bulk_tools.h"
#include "korvalen/wizard/date_digits.h"
#include "korvalen/wizard/date_picker.h"
#include "korvalen/wizard/dialog_keys.h"
#include "korvalen/wizard/history_grid_view.h"
#include "korvalen/wizard/history_page.h"
#include "korvalen/wizard/labeled_edit.h"
#include "korvalen/wizard/num_edit.h"
#include "korvalen/wizard/result_table_view.h"
#include "qt_text.h"

namespace korvalen::wizard {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::MessageType;

constexpr const char* kNoRateMessage = "【利率】が未入力です。";
constexpr const char* kNoHistoryMessage = "【借入・返済履歴データ】が未入力です。\r\n履歴データの入力を行って下さい。";
constexpr const char* kDeleteQuestion = "データを削除しますか？";

// Next reads 完了 on the last page; a screen reader must say so too.
void SetNextCaption(QPushButton* button, const char* caption) {
    button->setText(QString::fromUtf8(caption));
    button->setAccessibleName(button->text().remove(QLatin1Char('&')));
}

std::string StartDateConflictQuestion(engine::DayNumber firstDate) {
    return "【１件目返済日(" + engine::FormatMessageDate(firstDate) +
           ")】よりも後の[計算開始年月日]は処理できません。" + "\r\n入力済の[返済履歴データ]を消去しますか？";
}

// A table as wide as its columns (they widen for the texts of each run),
// within the window's width; the recalculation's eleven columns take
// nearly all of it.
void FitToColumns(ResultTableView& table) {
    constexpr int kWindowWidth = 844;
    constexpr int kMargin = 20;
    const int width = std::min(table.ContentWidth(), kWindowWidth - 8);
    const int left = width <= kWindowWidth - 2 * kMargin ? kMargin : (kWindowWidth - width) / 2;
    table.setGeometry(left, table.y(), width, table.height());
}

}  // namespace

TTavo50AF::TTavo50AF(WizardServices services, QWidget* parent) : QDialog(parent), services_(services) {
    storage::KorvalenDB& dataModule = services_.dataModule;
    dataModule.SetWesternCalendar(
        platform::SettingsSection(dataModule.Settings(), dataModule.ProgramKey(), "SETTING").Option("SEIREKI"));

    BuildWindow();
    keys_ = new DialogKeys(this);
    if (auto* memo = historyPage_->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))) keys_->KeepEnterIn(memo);
    keys_->SetPrintWindow([this] { printing::ScreenPrint(this, services_.print); });
    ConnectBulkTools(*historyPage_, *this, services_.messages, printing::ScreenPrintHook(services_.print));
    ShowPage(kStartPage);
}

TTavo50AF::~TTavo50AF() {
    // The grid refers to the entries of the list, which go first.
    historyPage_->SetHistory(nullptr);
}

// --- Opening -------------------------------------------------------------

bool TTavo50AF::LoadCase() {
    std::optional<storage::StoredCase> stored = storage::LoadCase(services_.dataModule.TableDatabase1(), handle_.SEQ);
    if (!stored) {
        PrepareNewCase();
        LabeledEdit1->clear();
        LabeledEdit2->clear();
        return false;
    }
    SelectMode(WizardMode::Reference);
    RadioButton6->setEnabled(false);

    const engine::CaseRecord& header = stored->header;
    LabeledEdit1->setText(QStringOf(header.GYOSYA_NAME));
    LabeledEdit2->setText(QStringOf(header.NAME));
    LabeledEdit3->setText(QStringOf(header.BIKO));
    NumEdit10->SetValue(header.RIRITSU);
    NumEdit2->SetValue(header.KABARAI_RIRITSU);
    NumEdit1->SetValue(header.START_KARI);
    NumEdit3->SetValue(header.HIKI_RIRITU);
    KeisanG->setCurrentIndex(header.KEISAN_KIND);
    SetStartDate(header.START_DAY);
    CheckBox2->setChecked(header.SYONITI_UMU);
    (header.SEISAN_KIND != 0 ? RadioButton1 : RadioButton2)->setChecked(true);
    historyPage_->SetSameDayInputOrder(header.CHECKBOX == 1);

    historyPage_->SetHistory(nullptr);
    history_ = std::move(stored->history);
    historyPage_->SetHistory(&history_);
    return true;
}

void TTavo50AF::PrepareNewCase() {
    SelectMode(WizardMode::New);
    RadioButton6->setEnabled(true);
    for (QRadioButton* other : {RadioButton3, RadioButton4, RadioButton5}) other->setEnabled(false);
}

void TTavo50AF::OpenForReference() {
    RunLenderCalculation();
    OpenAt(kLenderPage);
}

void TTavo50AF::OpenAt(int page, std::vector<int> left) {
    pageHistory_ = std::move(left);
    BackBtn->setEnabled(!pageHistory_.empty());
    ShowPage(page);
}

void TTavo50AF::SelectMode(WizardMode mode) {
    switch (mode) {
        case WizardMode::New: RadioButton6->setChecked(true); break;
        case WizardMode::Reference: RadioButton3->setChecked(true); break;
        case WizardMode::Change: RadioButton4->setChecked(true); break;
        case WizardMode::Delete: RadioButton5->setChecked(true); break;
    }
}

WizardMode TTavo50AF::Mode() const {
    if (RadioButton3->isChecked()) return WizardMode::Reference;
    if (RadioButton4->isChecked()) return WizardMode::Change;
    if (RadioButton5->isChecked()) return WizardMode::Delete;
    return WizardMode::New;
}

int TTavo50AF::CurrentPage() const { return PageControl1->currentIndex(); }

bool TTavo50AF::EnterMovesFocus() const { return keys_->EnterMovesFocus(); }

// --- Next, Back, Cancel --------------------------------------------------

void TTavo50AF::NextBtnClick() {
    switch (CurrentPage()) {
        case kStartPage: LeaveStartPage(); break;
        case kNamesPage: GoForward(kStartDatePage); break;
        case kStartDatePage:
            if (LeaveStartDatePage()) GoForward(startDay_ != 0 ? kStartBalancePage : kRatesPage);
            break;
        case kStartBalancePage: GoForward(kRatesPage); break;
        case kRatesPage:
            if (LeaveRatesPage()) GoForward(kHistoryPage);
            break;
        case kHistoryPage:
            if (LeaveHistoryPage()) GoForward(kLenderPage);
            break;
        case kLenderPage:
            RunRecalculation();
            GoForward(kRecalculationPage);
            break;
        case kRecalculationPage: Finish(); break;
        default: break;
    }
}

void TTavo50AF::BackBtnClick() {
    SetNextCaption(NextBtn, kNextCaption);
    if (CurrentPage() == kStartPage || pageHistory_.empty()) return;
    const int page = pageHistory_.back();
    pageHistory_.pop_back();
    ShowPage(page);
    BackBtn->setEnabled(!pageHistory_.empty());
}

void TTavo50AF::CancelBtnClick() { done(kWizardCancelled); }

void TTavo50AF::GoForward(int page) {
    pageHistory_.push_back(CurrentPage());
    BackBtn->setEnabled(true);
    ShowPage(page);
}

void TTavo50AF::ShowPage(int page) {
    PageControl1->setCurrentIndex(page);
    SetNextCaption(NextBtn, page == kRecalculationPage ? kFinishCaption : kNextCaption);
    // The history grid takes Enter itself; everywhere else Enter moves on.
    keys_->SetEnterMovesFocus(page != kHistoryPage);
    FocusFirstControl(page);
}

void TTavo50AF::FocusFirstControl(int page) {
    QWidget* first = nullptr;
    switch (page) {
        case kStartPage:
            for (QRadioButton* radio : {RadioButton6, RadioButton3, RadioButton4, RadioButton5}) {
                if (radio->isChecked()) first = radio;
            }
            break;
        case kNamesPage: first = LabeledEdit1; break;
        case kStartDatePage: first = StartDayBtn; break;
        case kStartBalancePage: first = NumEdit1; break;
        case kRatesPage: first = NumEdit10; break;
        case kHistoryPage: first = historyPage_->StringGrid2(); break;
        case kLenderPage: first = StringGrid1; break;
        case kRecalculationPage: first = StringGrid3; break;
        default: break;
    }
    if (first != nullptr) first->setFocus(Qt::OtherFocusReason);
}

void TTavo50AF::LeaveStartPage() {
    switch (Mode()) {
        case WizardMode::New:
        case WizardMode::Change: GoForward(kNamesPage); break;
        case WizardMode::Reference:
            RunLenderCalculation();
            GoForward(kLenderPage);
            break;
        case WizardMode::Delete: DeleteTheCase(); break;
    }
}

bool TTavo50AF::LeaveStartDatePage() {
    if (startDay_ == 0 || history_.empty()) return true;
    // The list is in date order once the history page has been left
    // forwards; after Back from there it may not be yet.
    const auto earliest = std::min_element(history_.begin(), history_.end(),
                                           [](const auto& a, const auto& b) { return a->date < b->date; });
    if ((*earliest)->date >= startDay_) return true;
    const Answer answer =
        services_.messages.Show(MessageType::Warning, Buttons::YesCancel, StartDateConflictQuestion((*earliest)->date));
    if (answer != Answer::Yes) return false;
    EmptyHistory();
    return true;
}

bool TTavo50AF::LeaveRatesPage() {
    if (NumEdit10->Value() == 0) {
        services_.messages.Show(MessageType::Warning, Buttons::Ok, kNoRateMessage);
        NumEdit10->setFocus(Qt::OtherFocusReason);
        return false;
    }
    historyPage_->SetStartDate(startDay_);
    historyPage_->SetContractRate(static_cast<double>(NumEdit10->Value()));
    historyPage_->FillFromHistory();
    return true;
}

bool TTavo50AF::LeaveHistoryPage() {
    // A row still being typed is taken over, or its refusal keeps us here.
    if (!historyPage_->CommitTypedRow()) return false;
    if (history_.empty()) {
        services_.messages.Show(MessageType::Warning, Buttons::Ok, kNoHistoryMessage);
        return false;
    }
    RunLenderCalculation();
    return true;
}

void TTavo50AF::EmptyHistory() {
    historyPage_->Grid().ClearGrid();
    history_.clear();
    historyPage_->Grid().UpdateTotals();
}

void TTavo50AF::DeleteTheCase() {
    if (services_.messages.Show(MessageType::Information, Buttons::YesCancel, kDeleteQuestion) != Answer::Yes) return;
    storage::DeleteCase(services_.dataModule.TableDatabase1(), handle_.SEQ);
    deleted_ = true;
    done(kWizardCancelled);
}

void TTavo50AF::Finish() {
    const WizardMode mode = Mode();
    if (mode == WizardMode::New) {
        savedSeq_ = storage::SaveNewCase(services_.dataModule.TableDatabase1(), Header(), history_, handle_.SEQ);
        handle_.SEQ = savedSeq_;
    } else if (mode == WizardMode::Change) {
        storage::SaveCase(services_.dataModule.TableDatabase1(), Header(), history_);
        savedSeq_ = handle_.SEQ;
    }
    done(kWizardFinished);
}

// --- Calculations ------------------------------------------------------

engine::CalculationOptions TTavo50AF::CalculationSettings() {
    engine::CalculationOptions options;
    options.westernCalendar = services_.dataModule.WesternCalendar();
    options.onWarning = [this](const engine::CalculationWarning& warning) {
        services_.messages.Show(MessageType::Warning, Buttons::Ok, warning.message);
    };
    return options;
}

void TTavo50AF::RunLenderCalculation() {
    recalculationCopy_ = engine::CopyHistory(history_);
    StringGrid1->SetTable(engine::RunLenderCalculation(history_, Header(), CalculationSettings()));
    FitToColumns(*StringGrid1);
}

void TTavo50AF::RunRecalculation() {
    StringGrid3->SetTable(engine::RunCalculation(engine::CalculationKind::Recalculation, recalculationCopy_, Header(),
                                                 CalculationSettings()));
    FitToColumns(*StringGrid3);
    ClaimSummary->setText(printing::ClaimSummaryLine(StringGrid3->Table()));
}

// --- The case header ---------------------------------------------------

engine::CaseRecord TTavo50AF::Header() const {
    engine::CaseRecord header;
    header.CODE = engine::kCaseCode;
    header.SEQ = handle_.SEQ;
    header.NAME = LabeledEdit2->text().toStdString();
    header.GYOSYA_NAME = LabeledEdit1->text().toStdString();
    header.BIKO = LabeledEdit3->text().toStdString();
    header.RIRITSU = static_cast<double>(NumEdit10->Value());
    header.KABARAI_RIRITSU = static_cast<double>(NumEdit2->Value());
    header.START_KARI = static_cast<std::int32_t>(NumEdit1->Value());
    header.HIKI_RIRITU = static_cast<std::int32_t>(NumEdit3->Value());
    header.NOW_ZAN = handle_.balance;
    header.HIKINAOSIGO_ZAN = 0;
    header.KEISAN_KIND = KeisanG->currentIndex();
    header.START_DAY = startDay_;
    header.SYONITI_UMU = CheckBox2->isChecked();
    header.SEISAN_KIND = RadioButton2->isChecked() ? 0 : 1;
    header.CHECKBOX = historyPage_->SameDayInputOrder() ? 1 : 0;
    return header;
}

WizardOutcome TTavo50AF::Outcome() const {
    WizardOutcome outcome;
    outcome.modalResult = result() == kWizardFinished ? kWizardFinished : kWizardCancelled;
    const WizardMode mode = Mode();
    outcome.savedMode = mode == WizardMode::New || mode == WizardMode::Change;
    outcome.creditor = LabeledEdit1->text().toStdString();
    outcome.debtor = LabeledEdit2->text().toStdString();
    outcome.entryCount = static_cast<int>(history_.size());
    outcome.deleted = deleted_;
    outcome.seq = savedSeq_;
    return outcome;
}

// --- The start date ----------------------------------------------------

void TTavo50AF::SetStartDate(engine::DayNumber day) {
    startDay_ = day;
    if (day == 0) {
        Edit2->clear();
        StartDayLabel->clear();
        return;
    }
    const bool western = services_.dataModule.WesternCalendar();
    Edit2->setText(QStringOf(engine::FormatStartDate(day, western)));
    StartDayLabel->setText(QStringLiteral("（") + QStringOf(engine::FormatStartDate(day, !western)) +
                           QStringLiteral("）"));
}

void TTavo50AF::PickStartDate() {
    const std::string digits = services_.datePicker.PickDate(this);
    if (digits.empty()) return;
    // Our date inputs answer only real dates; anything else changes nothing.
    if (const auto day = DayOfDateDigits(digits)) SetStartDate(*day);
}

bool TTavo50AF::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit2 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && Edit2->rect().contains(mouse->position().toPoint())) {
            PickStartDate();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TTavo50AF::keyPressEvent(QKeyEvent* event) {
    // Escape would close the wizard and drop everything typed; only
    // キャンセル and the close box do that.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// --- The statement -----------------------------------------------------

printing::StatementInput TTavo50AF::Statement() const {
    // The start date in the long form Edit2 shows it in.
    return printing::StatementFrom(Header(), StringGrid3->Table(), static_cast<int>(history_.size()),
                                   services_.dataModule.WesternCalendar());
}

void TTavo50AF::PreviewBtnClick() { printing::PrintStatement(Statement(), true, services_.print, this); }

void TTavo50AF::PrintBtnClick() { printing::PrintStatement(Statement(), false, services_.print, this); }

void TTavo50AF::PdfBtnClick() { printing::SaveStatementPdf(Statement(), services_.print, this); }

}  // namespace korvalen::wizard
