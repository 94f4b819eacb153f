#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "source/RenderBoard.h"

namespace {

RenderInputs Inputs(const wchar_t* text, std::uint32_t color = 0xFFFF9000u) {
    RenderInputs in;
    in.text = text;
    in.font = L"宋体";
    in.fontSize = 42;
    in.color = color;
    return in;
}

ImageRef Image(bool complete = true) {
    static unsigned char pixels[4];
    return ImageRef(new RenderedImage(1, 1, pixels, complete));
}

// The jobs the render thread takes until none is left, each finished at once; their texts.
std::vector<std::wstring> RunJobs(RenderBoard& board) {
    std::vector<std::wstring> jobs;
    RenderInputs job;
    while (board.NextJob(job)) {
        jobs.emplace_back(job.text.Array());
        board.Finish(job, Image());
    }
    return jobs;
}

TEST(RenderBoard, RequestsFoldAndLooksTakeTurns) {
    RenderBoard board;
    RenderBoard::Client a, b, c;
    for (auto* client : {&a, &b, &c}) board.Add(*client);
    EXPECT_TRUE(board.Want(a, Inputs(L"a1")));
    EXPECT_TRUE(board.Want(a, Inputs(L"a2")));  // folded: only the newest waits
    EXPECT_TRUE(board.Want(b, Inputs(L"b1")));
    EXPECT_TRUE(board.Want(c, Inputs(L"a2")));  // a's inputs: one render serves both
    RenderInputs job;
    ASSERT_TRUE(board.NextJob(job));
    EXPECT_TRUE(job.text == L"a2");
    EXPECT_FALSE(board.NextJob(job)) << "one render at a time";
    EXPECT_TRUE(board.Want(a, Inputs(L"a3")));  // a wants something else while a2 is made
    board.Finish(Inputs(L"a2"), Image());
    EXPECT_FALSE(board.Take(a)) << "a2 is no longer what a wants";
    EXPECT_TRUE(board.Take(c));
    // b waited for one render of another look, and goes before a's next one.
    EXPECT_EQ(RunJobs(board), (std::vector<std::wstring>{L"b1", L"a3"}));
    EXPECT_TRUE(board.Take(a));
    EXPECT_TRUE(board.Take(b));
    EXPECT_TRUE(board.Idle());
    for (auto* client : {&a, &b, &c}) board.Remove(*client);
}

TEST(RenderBoard, DropsWhatNoSourceWantsAndBoundsWhatItKeeps) {
    RenderBoard board;
    std::vector<RenderBoard::Client> clients(3);
    for (auto& client : clients) board.Add(client);
    RenderInputs job;
    // A render nobody wants when it ends is dropped, a withdrawn want is not made.
    board.Want(clients[0], Inputs(L"x"));
    ASSERT_TRUE(board.NextJob(job));
    board.Withdraw(clients[0]);
    board.Finish(job, Image(false));
    EXPECT_EQ(board.ImagesHeld(), 0u);
    board.Want(clients[1], Inputs(L"y"));
    board.Withdraw(clients[1]);
    EXPECT_FALSE(board.NextJob(job));

    // Complete renders are kept for sources that ask later, the newest kKept of them.
    for (std::uint32_t look = 0; look < RenderBoard::kKept + 2; ++look) {
        board.Want(clients[0], Inputs(L"z", look));
        RunJobs(board);
        EXPECT_TRUE(board.Take(clients[0]));
    }
    EXPECT_EQ(board.ImagesHeld(), RenderBoard::kKept);
    EXPECT_FALSE(board.Want(clients[2], Inputs(L"z", RenderBoard::kKept + 1))) << "kept: nothing to render";
    EXPECT_TRUE(board.Take(clients[2]));
    EXPECT_TRUE(board.Want(clients[2], Inputs(L"z", 0))) << "the oldest is no longer kept";
    board.Withdraw(clients[2]);

    // A failed render is not kept for others; with fewer than two sources nothing is kept.
    board.Want(clients[0], Inputs(L"failed"));
    ASSERT_TRUE(board.NextJob(job));
    board.Finish(job, Image(false));
    EXPECT_TRUE(board.Take(clients[0]));
    EXPECT_TRUE(board.Want(clients[1], Inputs(L"failed")));
    board.Withdraw(clients[1]);
    board.Remove(clients[2]);
    board.Remove(clients[1]);
    EXPECT_EQ(board.ImagesHeld(), 0u);
    board.Remove(clients[0]);
}

TEST(RenderBoard, ARenderThatMadeNothingSettlesItsSources) {
    RenderBoard board;
    RenderBoard::Client a;
    board.Add(a);
    board.Want(a, Inputs(L"no font"));
    RenderInputs job;
    ASSERT_TRUE(board.NextJob(job));
    board.Finish(job, ImageRef());
    const ImageRef taken = board.Take(a);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->pixels, nullptr);
    EXPECT_FALSE(board.NextJob(job)) << "made again for the same inputs";
    board.Remove(a);
}

TEST(RenderBoard, ARemovedSourceKeepsTheTurn) {
    RenderBoard board;
    RenderBoard::Client a, b, c;
    for (auto* client : {&a, &b, &c}) board.Add(*client);
    for (auto* client : {&a, &b, &c}) board.Want(*client, Inputs(client == &a ? L"a" : client == &b ? L"b" : L"c"));
    RenderInputs job;
    ASSERT_TRUE(board.NextJob(job));  // a's
    board.Remove(a);
    board.Finish(job, Image());
    EXPECT_EQ(RunJobs(board), (std::vector<std::wstring>{L"b", L"c"}));
    board.Remove(b);
    board.Remove(c);
}

}  // namespace
