#include "korvalen/wizard/era_date_entry_form.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

#include "qt_text.h"

namespace korvalen::wizard {

TDyginpF::TDyginpF(platform::MessageService& messages, engine::DayNumber initial, QWidget* parent)
    : DateEntryForm(messages, 6, false, parent) {
    setObjectName(QStringLiteral("DyginpF"));
    setWindowTitle(QStringLiteral("日付の入力（和暦）"));

    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("EraPanel"));
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    eras_ = new QButtonGroup(this);
    const auto& eras = JapaneseEras();
    QString letters;
    for (std::size_t i = 0; i < eras.size(); ++i) {
        const Era& era = eras[i];
        QString caption = QStringOf(era.name);
        if (era.letter != 0) {
            caption += QStringLiteral("(%1)").arg(QLatin1Char(era.letter));
            if (!letters.isEmpty()) letters += QStringLiteral("・");
            letters += QLatin1Char(era.letter);
        }
        auto* button = new QRadioButton(caption, row);
        button->setObjectName(QStringLiteral("Era%1Btn").arg(i));
        button->setAccessibleName(QStringOf(era.name));
        button->setFocusPolicy(Qt::NoFocus);  // the focus stays in the digits
        eras_->addButton(button, static_cast<int>(i));
        rowLayout->addWidget(button);
    }
    connect(eras_, &QButtonGroup::idClicked, this, [this] {
        UpdatePreview();
        DigitsEdit()->setFocus();
    });
    DigitsEdit()->installEventFilter(this);
    Lay(QStringLiteral("元号を選び、年月日を6桁で入力して下さい。\n例　450207（昭和45年2月7日）\n"
                       "元号は %1 のキーでも選べます。")
            .arg(letters),
        row);

    if (initial > 0 && !EraDigitsOf(initial).empty()) {
        ChooseEra(static_cast<int>(EraIndexOf(initial)));
        ShowDigits(EraDigitsOf(initial));
    } else {
        ChooseEra(static_cast<int>(eras.size()) - 1);
    }
}

int TDyginpF::EraChosen() const { return eras_->checkedId(); }

void TDyginpF::ChooseEra(int index) {
    if (QAbstractButton* button = eras_->button(index)) button->setChecked(true);
    UpdatePreview();
}

DateReading TDyginpF::Read(const std::string& digits) const {
    const int chosen = EraChosen();
    const auto& eras = JapaneseEras();
    return ReadEraDigits(eras[chosen < 0 ? eras.size() - 1 : static_cast<std::size_t>(chosen)], digits);
}

bool TDyginpF::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DigitsEdit() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text().normalized(QString::NormalizationForm_KC).toUpper();
        if (text.size() == 1 && text.at(0).isLetter() &&
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0) {
            const auto& eras = JapaneseEras();
            for (std::size_t i = 0; i < eras.size(); ++i) {
                if (eras[i].letter != 0 && text.at(0) == QLatin1Char(eras[i].letter)) ChooseEra(static_cast<int>(i));
            }
            return true;  // letters never reach the digits
        }
    }
    return DateEntryForm::eventFilter(watched, event);
}

}  // namespace korvalen::wizard
