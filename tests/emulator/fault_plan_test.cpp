// The fault plan: its text form, which frames a fault covers, and what each kind does to a reply.
#include <gtest/gtest.h>

#include "emulator/core/fault_plan.h"
#include "emulator/core/reader.h"
#include "tests/emulator/frames.h"

namespace vreader::testing {
namespace {

Fault parsed(const std::string& text) {
    std::string why;
    const auto f = parse_fault(text, why);
    EXPECT_TRUE(f) << text << ": " << why;
    return f.value_or(Fault{});
}

TEST(FaultText, KindsArgumentsAndRuns) {
    const Fault status = parsed("status 0x86 next 3");
    EXPECT_EQ(status.kind, FaultKind::status);
    EXPECT_EQ(status.value, 0x86u);
    EXPECT_EQ(status.frames, 3u);
    EXPECT_EQ(status.at, 1u);
    const Fault later = parsed("drop at 2");
    EXPECT_EQ(later.at, 2u);
    EXPECT_EQ(parsed("lead").value, 0xA5u);
    EXPECT_EQ(parsed("garbage").value, 16u);
    const Fault over = parsed("oversize 1024 10");
    EXPECT_EQ(over.value, 1024u);
    EXPECT_EQ(over.sent, 10u);
    EXPECT_FALSE(parsed("oversize 300").sent);
    const Fault answer = parsed("answer 00 40 02 90 00 D2 next 2");
    EXPECT_EQ(answer.data, (Bytes{0x00, 0x40, 0x02, 0x90, 0x00, 0xD2}));
    EXPECT_EQ(answer.frames, 2u);
    EXPECT_EQ(answer.describe(), "answer 00 40 02 90 00 D2 at 1 frames 2");
    EXPECT_EQ(parsed("wtx next 100000").kind, FaultKind::wtx);
}

TEST(FaultText, RefusesWhatItCannotMean) {
    std::string why;
    for (const char* bad : {"", "explode", "status", "status 0x100", "delay x", "drop next 0", "drop at", "bcc 3", "truncate 1 2", "answer", "answer 0", "answer XY", "wtx 3"})
        EXPECT_FALSE(parse_fault(bad, why)) << bad;
    EXPECT_FALSE(why.empty());
}

TEST(FaultRuns, NextAndAtCountFromWhenTheyWereAdded) {
    FaultPlan plan;
    plan.next_frame();  // one frame before the plan
    plan.add(parsed("drop next 2"));
    plan.add(parsed("bcc at 4"));
    std::vector<std::optional<FaultKind>> seen;
    for (int i = 0; i < 5; ++i) {
        const auto f = plan.next_frame();
        seen.push_back(f ? std::optional(f->kind) : std::nullopt);
    }
    EXPECT_EQ(seen, (std::vector<std::optional<FaultKind>>{FaultKind::drop, FaultKind::drop, std::nullopt, FaultKind::bad_bcc, std::nullopt}));
    EXPECT_TRUE(plan.describe().empty());
}

TEST(FaultRuns, NeverLastsUntilCleared) {
    FaultPlan plan;
    plan.add(parsed("never"));
    EXPECT_TRUE(plan.reader_absent());
    for (int i = 0; i < 50; ++i) EXPECT_TRUE(plan.next_frame());
    plan.clear();
    EXPECT_FALSE(plan.reader_absent());
    EXPECT_FALSE(plan.next_frame());
}

TEST(FaultRuns, DripPacesTheReplyOfAnotherFaultOrAGoodOne) {
    FaultPlan plan;
    plan.add(parsed("drip 3 next 2"));
    plan.add(parsed("oversize 300"));
    const Bytes good = reply_frame(0, {0x10, 0x20});
    const auto both = plan.next_frame();
    ASSERT_TRUE(both);
    EXPECT_EQ(both->kind, FaultKind::oversize) << "the drip rides on the other fault";
    const WireReply oversized = shape_reply(good, both);
    EXPECT_EQ(oversized.bytes.size(), 305u);
    EXPECT_EQ(oversized.byte_interval_ms, 3u);
    const auto alone = plan.next_frame();
    ASSERT_TRUE(alone);
    const WireReply slow = shape_reply(good, alone);
    EXPECT_EQ(slow.bytes, good) << "a dripping reply is whole";
    EXPECT_EQ(slow.byte_interval_ms, 3u);
    EXPECT_EQ(shape_reply(good, plan.next_frame()).byte_interval_ms, 0u);
}

TEST(FaultShapes, EachKindOnTheWire) {
    const Bytes good = reply_frame(0, {0x10, 0x20, 0x30});  // 55 00 00 03 10 20 30 45
    EXPECT_EQ(shape_reply(good, std::nullopt).bytes, good);
    EXPECT_TRUE(shape_reply(good, parsed("drop")).bytes.empty());

    const Bytes lead = shape_reply(good, parsed("lead 0x00")).bytes;
    EXPECT_EQ(lead[0], 0x00);
    EXPECT_TRUE(std::equal(lead.begin() + 1, lead.end(), good.begin() + 1));

    const Bytes bcc = shape_reply(good, parsed("bcc")).bytes;
    ASSERT_EQ(bcc.size(), good.size());
    EXPECT_NE(xor_of(bcc), 0);
    EXPECT_TRUE(std::equal(bcc.begin(), bcc.end() - 1, good.begin()));

    const WireReply late = shape_reply(good, parsed("delay 2500"));
    EXPECT_EQ(late.bytes, good);
    EXPECT_EQ(late.delay_ms, 2500u);

    const Bytes noise = shape_reply(good, parsed("garbage 40")).bytes;
    EXPECT_EQ(noise.size(), 40u);
    EXPECT_NE(noise[0], 0x55);

    EXPECT_EQ(shape_reply(good, parsed("truncate 6")).bytes, Bytes(good.begin(), good.begin() + 6));
    EXPECT_EQ(shape_reply(good, parsed("truncate 100")).bytes, good);
}

TEST(FaultShapes, OversizeAnnouncesMoreThanItCarriesOrCarriesItAll) {
    const Bytes good = reply_frame(0, {0x10, 0x20, 0x30});
    const Bytes full = shape_reply(good, parsed("oversize 0x0400")).bytes;
    ASSERT_EQ(full.size(), 4u + 0x400 + 1);
    EXPECT_EQ(full[2], 0x04);
    EXPECT_EQ(full[3], 0x00);
    EXPECT_EQ(full[4], 0x10);
    EXPECT_EQ(full[7], 0x00);  // padding after the real data
    EXPECT_EQ(xor_of(full), 0);  // well formed: only its size is wrong

    const Bytes short_one = shape_reply(good, parsed("oversize 0x0400 2")).bytes;
    EXPECT_EQ(short_one, (Bytes{0x55, 0x00, 0x04, 0x00, 0x10, 0x20, static_cast<uint8_t>(0x55 ^ 0x04 ^ 0x10 ^ 0x20)}));
}

TEST(FaultReader, StatusFaultRefusesWithoutCarryingOut) {
    Reader reader;
    std::string why;
    reader.faults().add(*parse_fault("status 0x96", why));
    const auto wire = reader.exchange(frame(memory_frame(0xB6, 0x0000, {0x77})));
    EXPECT_EQ(wire.bytes, reply_frame(0x96, {}));
    EXPECT_EQ(reader.memory().at(0), 0x00);
    // A dropped reply still carried the command out.
    reader.faults().add(*parse_fault("drop", why));
    EXPECT_TRUE(reader.exchange(frame(memory_frame(0xB6, 0x0000, {0x77}))).bytes.empty());
    EXPECT_EQ(reader.memory().at(0), 0x77);
}

TEST(FaultReader, NeverAnswersAndDoesNothing) {
    Reader reader;
    std::string why;
    reader.faults().add(*parse_fault("never", why));
    EXPECT_TRUE(reader.exchange(frame(memory_frame(0xB6, 0x0000, {0x77}))).bytes.empty());
    EXPECT_EQ(reader.memory().at(0), 0x00);
    const auto& log = reader.log().entries();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0].mark, '>');
    EXPECT_EQ(log.back().mark, '#');
}

TEST(FaultReader, WtxAnswersOnlyTheProcessorCardsBlocks) {
    Reader reader;
    std::string why;
    reader.faults().add(*parse_fault("wtx next 2", why));
    const Bytes block{0x00, 0x00, 0x05, 0x00, 0xB0, 0x00, 0x00, 0x07, 0xB2};
    Bytes body{0x20, 0, 0, 0, 0};
    body.insert(body.end(), block.begin(), block.end());
    EXPECT_EQ(reader.exchange(frame(command(0x21, body))).bytes, reply_frame(0x00, {0x00, 0xC3, 0x01, 0x01, 0xC3}));
    // Within the same run a frame for the reader is carried out and answered as usual.
    EXPECT_EQ(reader.exchange(frame(memory_frame(0xB6, 0x0000, {0x77}))).bytes, reply_frame(0x00, {}));
    EXPECT_EQ(reader.memory().at(0), 0x77);
}

}  // namespace
}  // namespace vreader::testing
