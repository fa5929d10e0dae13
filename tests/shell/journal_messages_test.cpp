// The messages of an unattended run: one journal line per box, and the
// answer of a user who closes it without choosing.
#include "korvalen/shell/journal_messages.h"

#include <gtest/gtest.h>

#include "korvalen/testsupport/files.h"
#include "korvalen/testsupport/temp_folder.h"

namespace korvalen::shell {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::MessageType;

TEST(JournalMessages, WritesOneLineABoxAndAcknowledgesOnlyNotices) {
    testsupport::TempFolder root("korvalen-journal");
    const std::string file = root / "journal.txt";
    JournalMessages journal(file);
    const struct {
        MessageType type;
        Buttons buttons;
        const char* text;
        Answer answer;
        const char* line;
    } cases[] = {
        {MessageType::Warning, Buttons::Ok, "ﾊﾞｯｸｱｯﾌﾟに失敗しました。", Answer::Ok,
         "warning\tok\tﾊﾞｯｸｱｯﾌﾟに失敗しました。"},
        // The completion notices of backup and restore have one Yes button.
        {MessageType::Information, Buttons::Yes, "保存が完了しました。", Answer::Yes,
         "information\tyes\t保存が完了しました。"},
        {MessageType::Confirmation, Buttons::OkCancel, "上書きしますか？", Answer::Closed,
         "confirmation\tok-cancel\t上書きしますか？"},
        {MessageType::Information, Buttons::YesNoCancel, "データは変更されていますが\r\n保存されていません。",
         Answer::Closed, "information\tyes-no-cancel\tデータは変更されていますが\\n保存されていません。"},
    };
    std::string expected;
    for (const auto& c : cases) {
        EXPECT_EQ(journal.Show(c.type, c.buttons, c.text), c.answer) << c.line;
        expected += std::string(c.line) + "\n";
    }
    EXPECT_EQ(testsupport::ReadWholeFile(file), expected);
}

}  // namespace
}  // namespace korvalen::shell
