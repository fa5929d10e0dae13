#include <gtest/gtest.h>

#include <stdexcept>
#include <type_traits>

#include "korvalen/platform/end_program.h"
#include "korvalen/platform/scripted_messages.h"

namespace korvalen::platform {
namespace {

TEST(Messages, EachButtonSetOffersItsOwnAnswers) {
    const std::pair<Buttons, std::vector<Answer>> sets[] = {
        {Buttons::Ok, {Answer::Ok}},
        {Buttons::OkCancel, {Answer::Ok, Answer::Cancel}},
        {Buttons::YesNo, {Answer::Yes, Answer::No}},
        {Buttons::YesCancel, {Answer::Yes, Answer::Cancel}},
        {Buttons::YesNoCancel, {Answer::Yes, Answer::No, Answer::Cancel}},
        {Buttons::Yes, {Answer::Yes}},
    };
    for (const auto& [buttons, offered] : sets) {
        for (Answer answer : {Answer::Ok, Answer::Cancel, Answer::Yes, Answer::No}) {
            const bool expected = std::find(offered.begin(), offered.end(), answer) != offered.end();
            EXPECT_EQ(Offers(buttons, answer), expected)
                << static_cast<int>(buttons) << "/" << static_cast<int>(answer);
        }
        EXPECT_TRUE(Offers(buttons, Answer::Closed));
    }
}

TEST(ScriptedMessages, AnswersInOrderAndRecordsEveryMessageVerbatim) {
    ScriptedMessages messages{Answer::Ok, Answer::Cancel, Answer::No};
    const std::string question = "プログラムが…確認できないため処理できません。\r\n\r\n《はい》　…";
    messages.ShowPlain("【共有違反です】\r\n同時に…");
    EXPECT_EQ(messages.Show(MessageType::Error, Buttons::YesCancel, question), Answer::Cancel);
    EXPECT_EQ(messages.Show(MessageType::Information, Buttons::YesNo, "q2"), Answer::No);
    // With the queue empty, a box that only informs is acknowledged.
    EXPECT_EQ(messages.Show(MessageType::Warning, Buttons::Ok, "w"), Answer::Ok);
    EXPECT_EQ(messages.Show(MessageType::Information, Buttons::Yes, "n"), Answer::Yes);

    ASSERT_EQ(messages.Shown().size(), 5u);
    EXPECT_EQ(messages.Shown()[0].type, MessageType::Plain);
    EXPECT_EQ(messages.Shown()[0].text, "【共有違反です】\r\n同時に…");
    EXPECT_EQ(messages.Shown()[1].type, MessageType::Error);
    EXPECT_EQ(messages.Shown()[1].buttons, Buttons::YesCancel);
    EXPECT_EQ(messages.Shown()[1].text, question);
    EXPECT_EQ(messages.Shown()[2].answer, Answer::No);
    EXPECT_TRUE(messages.Faults().empty());
    EXPECT_EQ(messages.PendingAnswers(), 0u);
}

TEST(ScriptedMessages, AClosedBoxIsAnAnswerToo) {
    ScriptedMessages messages{Answer::Closed};
    EXPECT_EQ(messages.Show(MessageType::Information, Buttons::Ok, "データベースフォルダを…"), Answer::Closed);
}

TEST(ScriptedMessages, UnansweredQuestionsAndWrongAnswersFailLoudly) {
    ScriptedMessages messages;
    EXPECT_THROW(messages.Show(MessageType::Confirmation, Buttons::YesNo, "続けますか？"), UnscriptedMessage);

    messages.QueueAnswer(Answer::Yes);
    EXPECT_THROW(messages.ShowPlain("OK only"), UnscriptedMessage);

    ASSERT_EQ(messages.Faults().size(), 2u);
    EXPECT_NE(messages.Faults()[0].find("続けますか？"), std::string::npos);
    EXPECT_EQ(messages.Shown().size(), 2u);
}

TEST(ScriptedMessages, FaultsAndEndProgramGetPastHandlersOfStandardErrors) {
    static_assert(!std::is_base_of_v<std::exception, UnscriptedMessage>);
    static_assert(!std::is_base_of_v<std::exception, EndProgram>);
    ScriptedMessages messages;
    auto action = [&] {
        try {
            messages.Show(MessageType::Error, Buttons::YesNo, "x");
        } catch (const std::exception&) {
            ADD_FAILURE() << "swallowed as a standard error";
        }
    };
    EXPECT_THROW(action(), UnscriptedMessage);

    try {
        throw EndProgram("the database folder cannot be reached");
    } catch (const EndProgram& end) {
        EXPECT_EQ(end.exitCode(), 0);
        EXPECT_EQ(end.reason(), "the database folder cannot be reached");
    }
}

}  // namespace
}  // namespace korvalen::platform
