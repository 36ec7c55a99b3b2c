// The headless runner's input scripts and shot requests: what is accepted,
// and that every bad line is refused with its line number and a reason.
#include <gtest/gtest.h>

#include "game/InputScript.h"

namespace {

TEST(InputScript, ReadsEveryEventWithCommentsBlanksTabsAndWindowsLineEnds) {
    const std::string text =
        "# a game\n"
        "\n"
        "0 move 10 -20   # pointer\r\n"
        "0\tpress\n"
        "   3 release\n"
        "3 down ESC\n"
        "7 up W\n"
        "8 move +5 0\n"
        "9 blur\n"
        "9 focus"; // no newline at the end
    std::vector<TInputEvent> events;
    int line = 0;
    std::string error;
    ASSERT_TRUE(ParseInputScript(text, events, line, error)) << line << ": " << error;
    ASSERT_EQ(events.size(), 8u);
    EXPECT_EQ(events[0].kind, TInputEventKind::Move);
    EXPECT_EQ(events[0].x, 10);
    EXPECT_EQ(events[0].y, -20);
    EXPECT_EQ(events[1].kind, TInputEventKind::Press);
    EXPECT_EQ(events[1].frame, 0u);
    EXPECT_EQ(events[2].kind, TInputEventKind::Release);
    EXPECT_EQ(events[2].frame, 3u);
    EXPECT_EQ(events[3].kind, TInputEventKind::KeyDown);
    EXPECT_EQ(events[3].key, TKey::Escape);
    EXPECT_EQ(events[4].kind, TInputEventKind::KeyUp);
    EXPECT_EQ(events[4].key, TKey::W);
    EXPECT_EQ(events[5].x, 5);
    EXPECT_EQ(events[6].kind, TInputEventKind::Blur);
    EXPECT_EQ(events[7].kind, TInputEventKind::Focus);
    EXPECT_EQ(events[7].frame, 9u);
}

TEST(InputScript, EveryKeyNameMapsToItsKey) {
    std::vector<TInputEvent> events;
    int line = 0;
    std::string error;
    ASSERT_TRUE(ParseInputScript("0 down W\n0 down A\n0 down S\n0 down D\n0 down H\n0 down ESC\n", events, line,
                                 error))
        << error;
    const TKey want[] = {TKey::W, TKey::A, TKey::S, TKey::D, TKey::H, TKey::Escape};
    ASSERT_EQ(events.size(), 6u);
    for (size_t k = 0; k < 6; ++k) EXPECT_EQ(events[k].key, want[k]) << k;
}

TEST(InputScript, EmptyAndCommentOnlyScriptsHaveNoEvents) {
    for (const char* text : {"", "\n\n", "# nothing\n   # still nothing\n"}) {
        std::vector<TInputEvent> events{TInputEvent{}};
        int line = 0;
        std::string error;
        EXPECT_TRUE(ParseInputScript(text, events, line, error)) << text;
        EXPECT_TRUE(events.empty()) << text;
    }
}

struct TBadLine {
    const char* text;
    int line;
    const char* error;
};

class InputScriptError : public testing::TestWithParam<TBadLine> {};

TEST_P(InputScriptError, NamesTheLineAndTheFault) {
    const TBadLine& c = GetParam();
    std::vector<TInputEvent> events;
    int line = 0;
    std::string error;
    EXPECT_FALSE(ParseInputScript(c.text, events, line, error));
    EXPECT_EQ(line, c.line) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_TRUE(events.empty()) << "nothing half-parsed is kept";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, InputScriptError,
    testing::Values(
        TBadLine{"0 press\n\n# fine\n7 down Q\n", 4, "unknown key 'Q'"},
        TBadLine{"0 down w\n", 1, "unknown key 'w'"},
        TBadLine{"0 down\n", 1, "'down' needs a key (W A S D H ESC)"},
        TBadLine{"0 up # key in a comment: W\n", 1, "'up' needs a key (W A S D H ESC)"},
        TBadLine{"5 press\n3 release\n", 2, "frame 3 goes back before frame 5"},
        TBadLine{"0 jump\n", 1, "unknown event 'jump'"},
        TBadLine{"0 Press\n", 1, "unknown event 'Press'"},
        TBadLine{"12\n", 1, "missing event after the frame number"},
        TBadLine{"press\n", 1, "bad frame number 'press'"},
        TBadLine{"-1 press\n", 1, "bad frame number '-1'"},
        TBadLine{"1.5 press\n", 1, "bad frame number '1.5'"},
        TBadLine{"1000000001 press\n", 1, "bad frame number '1000000001'"},
        TBadLine{"0 move 10\n", 1, "'move' needs X and Y"},
        TBadLine{"0 move ten 10\n", 1, "bad X 'ten'"},
        TBadLine{"0 move 10 9999999999\n", 1, "bad Y '9999999999'"},
        TBadLine{"0 move 10 -\n", 1, "bad Y '-'"},
        TBadLine{"0 press now\n", 1, "unexpected 'now' after 'press'"},
        TBadLine{"0 down W S\n", 1, "unexpected 'S' after 'down'"},
        TBadLine{"0 move 1 2 3\n", 1, "unexpected '3' after 'move'"},
        // Bytes of a binary file come back short and printable.
        TBadLine{"0 \x01\xff\n", 1, "unknown event '?" "?'"},
        TBadLine{"0 xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n", 1,
                 "unknown event 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...'"}));

TEST(FrameNumber, AcceptsPlainDecimalsUpToTheLimitOnly) {
    uint32_t frame = 99;
    EXPECT_TRUE(ParseFrameNumber("0", frame));
    EXPECT_EQ(frame, 0u);
    EXPECT_TRUE(ParseFrameNumber("007", frame));
    EXPECT_EQ(frame, 7u);
    EXPECT_TRUE(ParseFrameNumber("1000000000", frame));
    EXPECT_EQ(frame, kMaxScriptFrame);
    for (const char* bad : {"", "1000000001", "4294967296", "99999999999", "-1", "+1", " 1", "1 ", "12a", "0x10"})
        EXPECT_FALSE(ParseFrameNumber(bad, frame)) << bad;
}

TEST(ShotRequest, SplitsFramePresentAndPathAtTheFirstColon) {
    TShotRequest shot;
    std::string error;
    ASSERT_TRUE(ParseShotRequest("12:out/menu.png", shot, error)) << error;
    EXPECT_EQ(shot.frame, 12u);
    EXPECT_EQ(shot.present, 0u) << "the frame's last present";
    EXPECT_EQ(shot.path, "out/menu.png");
    ASSERT_TRUE(ParseShotRequest("812/1:a:b.png", shot, error)) << error;
    EXPECT_EQ(shot.frame, 812u);
    EXPECT_EQ(shot.present, 1u);
    EXPECT_EQ(shot.path, "a:b.png");
}

TEST(ShotRequest, RefusesMalformedRequestsWithAReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"12", "expected FRAME:FILE.png"},
        {"menu.png", "expected FRAME:FILE.png"},
        {":a.png", "bad frame number ''"},
        {"x:a.png", "bad frame number 'x'"},
        {"-3:a.png", "bad frame number '-3'"},
        {"12:", "missing file name after the frame"},
        {"12/0:a.png", "bad present number '0' (1 is the frame's first)"},
        {"12/:a.png", "bad present number '' (1 is the frame's first)"},
        {"/1:a.png", "bad frame number ''"},
    };
    for (const auto& [text, want] : cases) {
        TShotRequest shot;
        std::string error;
        EXPECT_FALSE(ParseShotRequest(text, shot, error)) << text;
        EXPECT_EQ(error, want) << text;
    }
}

} // namespace
