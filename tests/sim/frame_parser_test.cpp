// How the byte stream is cut into frames, including the ways back into step
// after a bad frame.
#include "program_side.h"
#include "sim/frame_parser.h"

#include <gtest/gtest.h>

using namespace simtest;
using namespace std::string_literals;
using sim::Frame;
using sim::FrameParser;

namespace {

std::vector<Frame> Feed(FrameParser &parser, const Bytes &bytes)
{
    std::vector<Frame> out;
    for (std::uint8_t b : bytes)
        parser.feed(b, Clock::now(), out);
    return out;
}

TEST(FrameParser, FramesAreCutByLengthNotByTheFirstLf)
{
    FrameParser parser;
    // Value bytes may be CR and LF themselves.
    const auto frames = Feed(parser, ToBytes("D\n\r\n\r\r\n\x01\x30\x02\n\r\n\r\n\r\n"s));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].kind, Frame::Kind::Value);
    EXPECT_EQ(frames[1].kind, Frame::Kind::Digit);
    EXPECT_FALSE(parser.pending());
}

TEST(FrameParser, ShortFrameDoesNotSwallowTheGoodOneAfterIt)
{
    FrameParser parser;
    const auto frames = Feed(parser, ToBytes("D12\r\nC5678\r\n"));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].kind, Frame::Kind::Garbage);
    EXPECT_EQ(frames[0].bytes, ToBytes("D12\r\n"));
    EXPECT_EQ(frames[1].kind, Frame::Kind::Value);
    EXPECT_EQ(frames[1].bytes, ToBytes("C5678\r\n"));
}

TEST(FrameParser, BadFramesBecomeGarbageUpToTheNextLf)
{
    FrameParser parser;
    // A wrong terminator, a digit frame without its 0x02, an unknown start.
    const auto frames = Feed(parser, ToBytes("D1234\n\rxx\n\x01\x30\x03"
                                             "12345\r\nQ\r\nD0000\r"));
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].bytes, ToBytes("D1234\n"));
    EXPECT_EQ(frames[1].bytes, ToBytes("\rxx\n"));
    EXPECT_EQ(frames[2].kind, Frame::Kind::Garbage);
    EXPECT_EQ(frames[3].bytes, ToBytes("Q\r\n"));
    EXPECT_TRUE(parser.pending()); // the last frame still waits for its LF

    FrameParser babble;
    EXPECT_EQ(Feed(babble, Bytes(FrameParser::kMaxGarbage * 2 + 3, 'x')).size(), 2u);
    std::vector<Frame> rest;
    babble.flush(rest);
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].bytes.size(), 3u);
    EXPECT_FALSE(babble.pending());
}

} // namespace
