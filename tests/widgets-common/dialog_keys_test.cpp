#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "korvalen/wizard/dialog_keys.h"

namespace korvalen::wizard {
namespace {

struct KeyDialog {
    QDialog dialog;
    QLineEdit* first = new QLineEdit(&dialog);
    QLineEdit* second = new QLineEdit(&dialog);
    QPlainTextEdit* memo = new QPlainTextEdit(&dialog);
    QPushButton* close = new QPushButton(QStringLiteral("閉じる(&C)"), &dialog);
    QPushButton* save = new QPushButton(QStringLiteral("保存(&S)"), &dialog);
    DialogKeys* keys = new DialogKeys(&dialog);

    KeyDialog() {
        auto* layout = new QVBoxLayout(&dialog);
        for (QWidget* w : {static_cast<QWidget*>(first), static_cast<QWidget*>(second), static_cast<QWidget*>(memo),
                           static_cast<QWidget*>(close), static_cast<QWidget*>(save)}) {
            layout->addWidget(w);
        }
        save->setDefault(true);
        keys->SetCloseButton(close);
        keys->SetSaveButton(save);
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        first->setFocus();
    }
};

TEST(DialogKeys, EnterMovesToTheNextControlAndPressesNoButton) {
    KeyDialog d;
    int saved = 0;
    QObject::connect(d.save, &QPushButton::clicked, [&] { ++saved; });
    QTest::keyClick(d.first, Qt::Key_Return);
    EXPECT_TRUE(d.second->hasFocus());
    QTest::keyClick(d.second, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(d.memo->hasFocus());
    EXPECT_EQ(saved, 0);
    EXPECT_TRUE(d.dialog.isVisible());
}

TEST(DialogKeys, AMemoThatKeepsEnterGetsItsLineBreak) {
    KeyDialog d;
    d.keys->KeepEnterIn(d.memo);
    d.memo->setFocus();
    QTest::keyClicks(d.memo, QStringLiteral("a"));
    QTest::keyClick(d.memo, Qt::Key_Return);
    QTest::keyClicks(d.memo, QStringLiteral("b"));
    EXPECT_EQ(d.memo->toPlainText(), QStringLiteral("a\nb"));
}

TEST(DialogKeys, FunctionKeysPressOnlyEnabledButtons) {
    KeyDialog d;
    int closed = 0, saved = 0;
    QObject::connect(d.close, &QPushButton::clicked, [&] { ++closed; });
    QObject::connect(d.save, &QPushButton::clicked, [&] { ++saved; });
    d.save->setEnabled(false);
    QTest::keyClick(d.first, Qt::Key_F3);
    EXPECT_EQ(saved, 0);
    d.save->setEnabled(true);
    QTest::keyClick(d.first, Qt::Key_F3);
    QTest::keyClick(d.second, Qt::Key_F1);
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(closed, 1);
}

TEST(DialogKeys, CtrlPPrintsAndShiftCtrlPDoesNot) {
    KeyDialog d;
    int printed = 0;
    d.keys->SetPrintWindow([&] { ++printed; });
    QTest::keyClick(d.first, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(printed, 0);
    QTest::keyClick(d.first, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printed, 1);
    EXPECT_TRUE(d.first->text().isEmpty());
}

}  // namespace
}  // namespace korvalen::wizard
