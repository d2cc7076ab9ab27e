// How every front end's message box answers: its buttons, its keys and a
// close with no button.
#include "shell/box_answer.hpp"

#include <gtest/gtest.h>

namespace blockdrop {
namespace {

TEST(BoxKeys, ReturnIsOkEscapeIsCancelOrTheOnlyOkAndNoOtherKeyAnswers)
{
    EXPECT_EQ(answer_for_key(key_return, Buttons::ok_cancel), answer_ok);
    EXPECT_EQ(answer_for_key(key_return, Buttons::ok), answer_ok);
    EXPECT_EQ(answer_for_key(key_escape, Buttons::ok_cancel), answer_cancel);
    EXPECT_EQ(answer_for_key(key_escape, Buttons::ok), answer_ok);
    for (int code = 0; code < 256; ++code) {
        if (code == key_return || code == key_escape)
            continue;
        ASSERT_EQ(answer_for_key(code, Buttons::ok_cancel), std::nullopt) << code;
        ASSERT_EQ(answer_for_key(code, Buttons::ok), std::nullopt) << code;
    }
}

TEST(BoxAnswers, AButtonAnswersItselfAndNoButtonIsCancelOrTheOnlyOk)
{
    EXPECT_EQ(answer_without_button(Buttons::ok_cancel), answer_cancel);
    EXPECT_EQ(answer_without_button(Buttons::ok), answer_ok);
    EXPECT_EQ(box_answer(answer_ok, Buttons::ok_cancel), answer_ok);
    EXPECT_EQ(box_answer(answer_cancel, Buttons::ok_cancel), answer_cancel);
    EXPECT_EQ(box_answer(answer_ok, Buttons::ok), answer_ok);
    // Closed with no button (the page's dialog on Escape, a box that could
    // not be shown): 0, or anything that is no button.
    for (const int none : {0, -1, 3, 7}) {
        EXPECT_EQ(box_answer(none, Buttons::ok_cancel), answer_cancel) << none;
        EXPECT_EQ(box_answer(none, Buttons::ok), answer_ok) << none;
    }
    // An OK-only box has no Cancel to answer.
    EXPECT_EQ(box_answer(answer_cancel, Buttons::ok), answer_ok);
}

} // namespace
} // namespace blockdrop
