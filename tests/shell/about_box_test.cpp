#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "korvalen/platform/program_info.h"
#include "korvalen/shell/about_box.h"
#include "korvalen/shell/full_width.h"
#include "korvalen/tablestore/table.h"
#include "shell_fixture.h"

namespace korvalen::shell {
namespace {

using namespace fixtures;

class AboutBoxTest : public ::testing::Test {
protected:
    // The database with this PC registered and a client PC beside it.
    AboutBoxTest() {
        pc.db.RegisterThisPc();
        tablestore::Table pcs(pc.db.TableDatabase1(), "CSConM");
        pcs.open();
        pcs.append();
        pcs.fieldByName("VER").setInteger(0);
        // A lower number than this PC's: listed first.
        pcs.fieldByName("CODE").setInteger(pc.db.InstallationNumber() / 2);
        pcs.fieldByName("PCNAME").setString("CLIENT-2");
        pcs.fieldByName("CS_KUBUN").setBoolean(true);
        pcs.fieldByName("VERSION").setString("0.9.8.7");
        pcs.post();
    }

    std::unique_ptr<TKorvABF> OpenBox() {
        auto box = std::make_unique<TKorvABF>(pc.Services());
        box->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(box.get()));
        return box;
    }

    ShellPc pc;
};

TEST_F(AboutBoxTest, ShowsTheFullWidthVersionAndThePcsOfTheDatabase) {
    const auto box = OpenBox();
    EXPECT_EQ(box->windowTitle(), "バージョン情報");
    EXPECT_EQ(box->findChild<QLabel*>("ProductName")->text(), "カドレア");
    // Each half-width letter, digit, dot and the blank in its full-width form.
    QString expected = QStringLiteral("Ｖｅｒ　");
    for (char c : platform::ProgramFileVersion()) expected += c == '.' ? QChar(0xFF0E) : QChar(0xFF10 + (c - '0'));
    EXPECT_EQ(box->findChild<QLabel*>("LabelVer")->text(), expected);
    EXPECT_EQ(VersionLabelText(""), "Ｖｅｒ　１．０");
    EXPECT_EQ(FullWidth("Ver 10.2-b"), "Ｖｅｒ　１０．２－ｂ");
    EXPECT_FALSE(box->findChild<QLabel*>("Image1")->pixmap().isNull());

    auto* list = box->findChild<QTreeWidget*>("ListView2");
    const std::tuple<const char*, int, Qt::Alignment> columns[] = {
        {"PC NAME", 85, Qt::AlignLeft}, {"C/S", 36, Qt::AlignHCenter}, {"Version", 70, Qt::AlignHCenter}};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(list->headerItem()->text(c), std::get<0>(columns[c]));
        EXPECT_EQ(list->header()->sectionSize(c), std::get<1>(columns[c]));
    }
    ASSERT_EQ(list->topLevelItemCount(), 2);
    // Key order: by installation number.
    const QTreeWidgetItem* client = list->topLevelItem(0);
    const QTreeWidgetItem* server = list->topLevelItem(1);
    EXPECT_EQ(server->text(0), "PC-A");
    EXPECT_EQ(server->text(1), "S");
    EXPECT_EQ(server->text(2), "1.0.0.0");
    EXPECT_EQ(client->text(0), "CLIENT-2");
    EXPECT_EQ(client->text(1), "C");
    EXPECT_EQ(client->text(2), "0.9.8.7");
    for (int c = 1; c < 3; ++c) EXPECT_TRUE(Qt::Alignment(client->textAlignment(c)) & Qt::AlignHCenter) << c;
    EXPECT_NE(box->findChild<QLabel*>("Label4")->text().indexOf("C/S区分　　Ｓ=単独or　　　Server　Ｃ=Client"), -1);

    ExpectEveryNamedControlHasAnAccessibleName(*box);
}

TEST_F(AboutBoxTest, TheAddressOpensTheSiteOrSaysTheBrowserFailed) {
    const auto box = OpenBox();
    auto* address = box->findChild<QLabel*>("UrlLabel");
    QTest::mouseClick(address, Qt::LeftButton);
    ASSERT_EQ(pc.links.opened.size(), 1u);
    EXPECT_EQ(pc.links.opened[0], QUrl(kMakerSite));
    EXPECT_TRUE(pc.messages.Shown().empty());

    pc.links.works = false;
    QTest::mouseClick(address, Qt::LeftButton);
    ASSERT_EQ(pc.messages.Shown().size(), 1u);
    EXPECT_EQ(pc.messages.Shown()[0].type, platform::MessageType::Warning);
    EXPECT_EQ(pc.messages.Shown()[0].text, "ﾌﾞﾗｳｻﾞｿﾌﾄ起動に失敗しました。\r\n\r\nError = 2");
}

TEST_F(AboutBoxTest, HelpOpensItsContextAndCtrlPPrintsTheBox) {
    const auto box = OpenBox();
    QTest::mouseClick(box->findChild<QPushButton*>("HelpBtn"), Qt::LeftButton);
    ASSERT_EQ(pc.links.opened.size(), 1u);
    EXPECT_EQ(pc.links.opened[0],
              QUrl::fromLocalFile(QString::fromStdString(pc.programFolder + "help/context-83.html")));

    // No screen print in this build: the user is told so.
    QTest::keyClick(box->findChild<QPushButton*>("CloseBtn"), Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(pc.messages.Shown().size(), 1u);
    EXPECT_EQ(pc.messages.Shown()[0].text, "画面の印刷は、このビルドにはまだ含まれていません。");

    std::vector<QWidget*> printed;
    pc.screenPrint = [&](QWidget* window) { printed.push_back(window); };
    const auto withPrint = OpenBox();
    QTest::keyClick(withPrint->findChild<QPushButton*>("CloseBtn"), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printed, (std::vector<QWidget*>{withPrint.get()}));

    // F1 presses 閉じる.
    QTest::keyClick(withPrint.get(), Qt::Key_F1);
    EXPECT_FALSE(withPrint->isVisible());
    EXPECT_EQ(withPrint->result(), QDialog::Accepted);
}

TEST(HelpFiles, EveryContextOfTheDialogsHasItsPage) {
    ShellPc pc;
    for (int context : {help_context::kDatabaseFolder, help_context::kOptions, help_context::kBackup,
                        help_context::kAbout, help_context::kRestore}) {
        pc.help.ShowContext(context);
        EXPECT_EQ(pc.links.opened.back().fileName().toStdString(), "context-" + std::to_string(context) + ".html");
    }
    pc.help.ShowContext(12345);  // no page of its own: the contents
    EXPECT_EQ(pc.links.opened.back().fileName(), "index.html");
    EXPECT_TRUE(pc.messages.Shown().empty());

    std::filesystem::remove_all(pc.programFolder + "help");
    pc.help.ShowContents();
    ASSERT_EQ(pc.messages.Shown().size(), 1u);
    EXPECT_EQ(pc.messages.Shown()[0].text.rfind("ヘルプファイルが見つかりません。", 0), 0u);
}

}  // namespace
}  // namespace korvalen::shell
