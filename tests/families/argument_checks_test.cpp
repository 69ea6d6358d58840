// Every card family's argument checks: the calls refused before anything goes to the card, each
// with the status of the first check it fails, and the edges just within reach, which do go out.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "quillet.h"
#include "tests/families/security_cards.h"

namespace {

using namespace quillet::test;
using namespace quillet::test::security;

uint8_t buf[8192];
uint8_t bad_text[] = "12G456";
uint8_t short_text[] = "ABC";

// The AT45D041's read of page 2047, offset 263, one byte.
const Bytes at45_last_byte = command_frame(0x61, {0x6E, 0x07, 0xFF, 0x01, 0x07, 0x00, 0x01});

struct Refused {
    const char* call;
    std::function<int16_t(int32_t)> run;
    int16_t expected;
};

// A call that does go out: its status when it matters, and its frames (when none are listed, one).
struct Sent {
    const char* call;
    std::function<int16_t(int32_t)> run;
    std::optional<int16_t> expected;
    std::vector<Bytes> frames;
};

struct Family {
    const char* card;
    std::vector<Refused> refused;
    std::vector<Sent> sent;
    bool from_file = false;  // the flash cards: the card made from its contents file, as their own tests hold it
};

class ArgumentChecks : public CardSession, public ::testing::WithParamInterface<Family> {
protected:
    ArgumentChecks() : CardSession(GetParam().card) {}

    void SetUp() override {
        CardSession::SetUp();
        if (GetParam().from_file) vr.insert_card(std::string(GetParam().card) + ":" + image_file(GetParam().card));
    }
};

TEST_P(ArgumentChecks, RunInOrderAndSendNothing) {
    vr.clear_log();
    for (const Refused& c : GetParam().refused) {
        SCOPED_TRACE(c.call);
        EXPECT_EQ(c.run(handle), c.expected);
        EXPECT_TRUE(vr.host_frames().empty());
    }
    for (const Sent& c : GetParam().sent) {
        SCOPED_TRACE(c.call);
        vr.clear_log();
        const int16_t status = c.run(handle);
        if (c.expected) {
            EXPECT_EQ(status, *c.expected);
        }
        const std::vector<Bytes> frames = vr.host_frames();
        if (c.frames.empty()) {
            EXPECT_EQ(frames.size(), 1u);
        } else {
            EXPECT_EQ(frames, c.frames);
        }
    }
}

const Family families[] = {
    {"at88sc102",
     {
         {"srd_101 offset -1 before the length", [](int32_t h) { return srd_101(h, -1, 0, buf); }, QL_BAD_ADDRESS},
         {"srd_101 offset 172", [](int32_t h) { return srd_101(h, 172, 1, buf); }, QL_BAD_ADDRESS},
         {"srd_101 28 + 145", [](int32_t h) { return srd_101(h, 28, 145, buf); }, QL_BAD_LENGTH},
         {"swr_101 length 0", [](int32_t h) { return swr_101(h, 0, 0, buf); }, QL_BAD_LENGTH},
         {"ser_101 171 + 2", [](int32_t h) { return ser_101(h, 171, 2); }, QL_BAD_LENGTH},
         {"csc_101 length 3", [](int32_t h) { return csc_101(h, 3, buf); }, QL_BAD_LENGTH},
         {"wsc_101 length 1", [](int32_t h) { return wsc_101(h, 1, buf); }, QL_BAD_LENGTH},
         {"rsc_101 length 0", [](int32_t h) { return rsc_101(h, 0, buf); }, QL_BAD_LENGTH},
         {"cesc_101 length 6", [](int32_t h) { return cesc_101(h, 6, buf); }, QL_BAD_LENGTH},
         {"wesc_101 length 2", [](int32_t h) { return wesc_101(h, 2, buf); }, QL_BAD_LENGTH},
         {"resc_101 length 5", [](int32_t h) { return resc_101(h, 5, buf); }, QL_BAD_LENGTH},
         // The AT88SC102 looks at the length before the zone and the offset.
         {"srd_102 length 0, zone 3", [](int32_t h) { return srd_102(h, 3, 0, 0, buf); }, QL_BAD_LENGTH},
         {"srd_102 length 0, offset -1", [](int32_t h) { return srd_102(h, 0, -1, 0, buf); }, QL_BAD_LENGTH},
         {"srd_102 zone 3", [](int32_t h) { return srd_102(h, 3, 0, 1, buf); }, QL_BAD_ADDRESS},
         {"swr_102 zone 3", [](int32_t h) { return swr_102(h, 3, 0, 1, buf); }, QL_BAD_LENGTH},
         {"ser_102 zone -1", [](int32_t h) { return ser_102(h, -1, 0, 1); }, QL_BAD_LENGTH},
         {"srd_102 zone 0 offset 22", [](int32_t h) { return srd_102(h, 0, 22, 1, buf); }, QL_BAD_ADDRESS},
         {"srd_102 zone 0, 0 + 179", [](int32_t h) { return srd_102(h, 0, 0, 179, buf); }, QL_BAD_LENGTH},
         {"srd_102 zone 1, 0 + 157", [](int32_t h) { return srd_102(h, 1, 0, 157, buf); }, QL_BAD_LENGTH},
         {"srd_102 zone 2 offset 86", [](int32_t h) { return srd_102(h, 2, 86, 1, buf); }, QL_BAD_ADDRESS},
         {"swr_102 leaves zone 1", [](int32_t h) { return swr_102(h, 1, 60, 11, buf); }, QL_BAD_LENGTH},
         {"swr_102 leaves zone 0", [](int32_t h) { return swr_102(h, 0, 20, 3, buf); }, QL_BAD_LENGTH},
         {"ser_102 zone 2, 85 + 2", [](int32_t h) { return ser_102(h, 2, 85, 2); }, QL_BAD_LENGTH},
         {"csc_102 length 3", [](int32_t h) { return csc_102(h, 3, buf); }, QL_BAD_LENGTH},
         {"cesc_102 zone 1 length 4", [](int32_t h) { return cesc_102(h, 1, 4, buf); }, QL_BAD_LENGTH},
         {"cesc_102 zone 0", [](int32_t h) { return cesc_102(h, 0, 4, buf); }, QL_BAD_ADDRESS},
         {"cesc_102 length 0 before the zone", [](int32_t h) { return cesc_102(h, 0, 0, buf); }, QL_BAD_LENGTH},
         {"wesc_102 zone 3", [](int32_t h) { return wesc_102(h, 3, 4, buf); }, QL_BAD_ADDRESS},
         {"wesc_102 zone 2 length 6", [](int32_t h) { return wesc_102(h, 2, 6, buf); }, QL_BAD_LENGTH},
         {"resc_102 zone 1 length 4", [](int32_t h) { return resc_102(h, 1, 4, buf); }, QL_BAD_LENGTH},
         {"resct_102 zone 1, its count untouched",
          [](int32_t h) {
              int16_t count = -1;
              const int16_t status = resct_102(h, 1, &count);
              EXPECT_EQ(count, -1);
              return status;
          },
          QL_BAD_ADDRESS},
         {"clrpr_102 zone 0", [](int32_t h) { return clrpr_102(h, 0); }, QL_BAD_ADDRESS},
         {"clrrd_102 zone 3", [](int32_t h) { return clrrd_102(h, 3); }, QL_BAD_ADDRESS},
     },
     {
         // What a write refuses, a read of the same place sends.
         {"srd_102 zone 1, 60 + 11",
          [](int32_t h) { return srd_102(h, 1, 60, 11, buf); },
          0,
          {counted(0x61, 0x72, 82, 11, 1)}},
         {"srd_102 zone 2, 85 + 1",
          [](int32_t h) { return srd_102(h, 2, 85, 1, buf); },
          0,
          {counted(0x61, 0x72, 177, 1, 2)}},
     }},
    {"at88sc153",
     {
         {"reset length 0", [](int32_t h) { return reset_153(h, 0, buf); }, QL_BAD_LENGTH},
         {"init_auth length 17", [](int32_t h) { return init_auth_153(h, 17, buf); }, QL_BAD_LENGTH},
         {"srd length 65 whatever the zone", [](int32_t h) { return srd_153(h, 7, 0, 65, buf); }, QL_BAD_LENGTH},
         {"srd length 0", [](int32_t h) { return srd_153(h, 0, 0, 0, buf); }, QL_BAD_LENGTH},
         {"srd zone 3", [](int32_t h) { return srd_153(h, 3, 0, 1, buf); }, QL_BAD_ADDRESS},
         {"srd zone -1", [](int32_t h) { return srd_153(h, -1, 0, 1, buf); }, QL_BAD_ADDRESS},
         {"srd zone 2, 60 + 5", [](int32_t h) { return srd_153(h, 2, 60, 5, buf); }, QL_BAD_ADDRESS},
         {"srd negative address within the end", [](int32_t h) { return srd_153(h, 0, -4, 8, buf); }, QL_BAD_ADDRESS},
         {"swr length 65", [](int32_t h) { return swr_153(h, 0, 0, 65, buf); }, QL_BAD_LENGTH},
         {"swr zone 5", [](int32_t h) { return swr_153(h, 5, 0, 4, buf); }, QL_BAD_ADDRESS},
         {"swr negative address", [](int32_t h) { return swr_153(h, 1, -1, 1, buf); }, QL_BAD_ADDRESS},
         {"swr 64 + 1", [](int32_t h) { return swr_153(h, 1, 64, 1, buf); }, QL_BAD_ADDRESS},
         {"srdconfig length 0", [](int32_t h) { return srdconfig_153(h, 0, 0, buf); }, QL_BAD_LENGTH},
         {"srdconfig length 65", [](int32_t h) { return srdconfig_153(h, -10, 65, buf); }, QL_BAD_LENGTH},
         {"srdconfig 63 + 2", [](int32_t h) { return srdconfig_153(h, 63, 2, buf); }, QL_BAD_ADDRESS},
         {"srdconfig negative address", [](int32_t h) { return srdconfig_153(h, -1, 2, buf); }, QL_BAD_ADDRESS},
         {"swrconfig 60 + 5", [](int32_t h) { return swrconfig_153(h, 60, 5, buf); }, QL_BAD_ADDRESS},
         {"swrconfig negative address", [](int32_t h) { return swrconfig_153(h, -32768, 1, buf); }, QL_BAD_ADDRESS},
         {"rac zone 3, length 2: zone first", [](int32_t h) { return rac_153(h, 3, 2, buf); }, QL_BAD_ADDRESS},
         {"rac length 2", [](int32_t h) { return rac_153(h, 2, 2, buf); }, QL_BAD_LENGTH},
         {"wac zone -1", [](int32_t h) { return wac_153(h, -1, 1, buf); }, QL_BAD_ADDRESS},
         {"rdcr length 2", [](int32_t h) { return rdcr_153(h, 2, buf); }, QL_BAD_LENGTH},
         {"wdcr length 0", [](int32_t h) { return wdcr_153(h, 0, buf); }, QL_BAD_LENGTH},
         {"rautht length 8", [](int32_t h) { return rautht_153(h, 8, buf); }, QL_BAD_LENGTH},
         {"csc set 2, length 2: length first", [](int32_t h) { return csc_153(h, 2, 0, 2, buf); }, QL_BAD_LENGTH},
         {"csc set 2", [](int32_t h) { return csc_153(h, 2, 0, 3, buf); }, QL_BAD_ADDRESS},
         {"csc selector 2", [](int32_t h) { return csc_153(h, 0, 2, 3, buf); }, QL_BAD_ADDRESS},
         {"csc selector -1", [](int32_t h) { return csc_153(h, 1, -1, 3, buf); }, QL_BAD_ADDRESS},
         {"rsc set 2, length 2: set first", [](int32_t h) { return rsc_153(h, 2, 0, 2, buf); }, QL_BAD_ADDRESS},
         {"rsc selector 2 (the other set's bytes)", [](int32_t h) { return rsc_153(h, 0, 2, 3, buf); }, QL_BAD_ADDRESS},
         {"rsc selector -2 (the secret seed)", [](int32_t h) { return rsc_153(h, 0, -2, 3, buf); }, QL_BAD_ADDRESS},
         {"rsc length 4", [](int32_t h) { return rsc_153(h, 1, 1, 4, buf); }, QL_BAD_LENGTH},
         {"wsc selector 3, length 2", [](int32_t h) { return wsc_153(h, 0, 3, 2, buf); }, QL_BAD_ADDRESS},
         {"wsc length 2", [](int32_t h) { return wsc_153(h, 0, 1, 2, buf); }, QL_BAD_LENGTH},
         {"rsct set -1", [](int32_t h) { return rsct_153(h, -1, 0, 1, buf); }, QL_BAD_ADDRESS},
         {"rsct length 3", [](int32_t h) { return rsct_153(h, 1, 0, 3, buf); }, QL_BAD_LENGTH},
         {"srfus length 0", [](int32_t h) { return srfus_153(h, 0, buf); }, QL_BAD_LENGTH},
     },
     {
         {"srd zone 2, 0 + 64", [](int32_t h) { return srd_153(h, 2, 0, 64, buf); }, 0, {}},
         {"srdconfig 0 + 64", [](int32_t h) { return srdconfig_153(h, 0, 64, buf); }, 0, {}},
     }},
    {"at88sc1608",
     {
         {"reset length 3", [](int32_t h) { return reset_1608(h, 3, buf); }, QL_BAD_LENGTH},
         {"reset length 5", [](int32_t h) { return reset_1608(h, 5, buf); }, QL_BAD_LENGTH},
         {"init_auth length 15", [](int32_t h) { return init_auth_1608(h, 15, buf); }, QL_BAD_LENGTH},
         {"srd length 0 with zone 9", [](int32_t h) { return srd_1608(h, 9, 0, 0, buf); }, QL_BAD_LENGTH},
         {"srd zone 9", [](int32_t h) { return srd_1608(h, 9, 0, 1, buf); }, QL_BAD_ADDRESS},
         {"srd zone -1", [](int32_t h) { return srd_1608(h, -1, 0, 1, buf); }, QL_BAD_ADDRESS},
         {"srd past zone 8", [](int32_t h) { return srd_1608(h, 0, 0, 2177, buf); }, QL_BAD_ADDRESS},
         {"srd zone 7, 200 + 185", [](int32_t h) { return srd_1608(h, 7, 200, 185, buf); }, QL_BAD_ADDRESS},
         {"srd zone 8, 100 + 29", [](int32_t h) { return srd_1608(h, 8, 100, 29, buf); }, QL_BAD_ADDRESS},
         {"srd negative address", [](int32_t h) { return srd_1608(h, 1, -10, 20, buf); }, QL_BAD_ADDRESS},
         {"srd address 256 within the bound", [](int32_t h) { return srd_1608(h, 6, 256, 1, buf); }, QL_BAD_LENGTH},
         {"swr zone 7, 200 + 57", [](int32_t h) { return swr_1608(h, 7, 200, 57, buf); }, QL_BAD_ADDRESS},
         {"swr zone 8, 100 + 29", [](int32_t h) { return swr_1608(h, 8, 100, 29, buf); }, QL_BAD_ADDRESS},
         {"swr length 0", [](int32_t h) { return swr_1608(h, 0, 0, 0, buf); }, QL_BAD_LENGTH},
         {"swr negative address", [](int32_t h) { return swr_1608(h, 0, -1, 1, buf); }, QL_BAD_ADDRESS},
         {"swr address 300 within the bound", [](int32_t h) { return swr_1608(h, 0, 300, 1, buf); }, QL_BAD_LENGTH},
         {"srdconfig length 0", [](int32_t h) { return srdconfig_1608(h, 0, 0, buf); }, QL_BAD_LENGTH},
         {"srdconfig length 130", [](int32_t h) { return srdconfig_1608(h, 0, 130, buf); }, QL_BAD_LENGTH},
         {"srdconfig negative address", [](int32_t h) { return srdconfig_1608(h, -1, 2, buf); }, QL_BAD_ADDRESS},
         {"srdconfig 100 + 30", [](int32_t h) { return srdconfig_1608(h, 100, 30, buf); }, QL_BAD_ADDRESS},
         {"swrconfig length -5", [](int32_t h) { return swrconfig_1608(h, 10, -5, buf); }, QL_BAD_LENGTH},
         {"swrconfig 129 + 1", [](int32_t h) { return swrconfig_1608(h, 129, 1, buf); }, QL_BAD_ADDRESS},
         {"srfus length 2", [](int32_t h) { return srfus_1608(h, 2, buf); }, QL_BAD_LENGTH},
         {"csc set 8, length 2: length first", [](int32_t h) { return csc_1608(h, 8, 2, 0, buf); }, QL_BAD_LENGTH},
         {"csc set 8", [](int32_t h) { return csc_1608(h, 8, 3, 0, buf); }, QL_BAD_ADDRESS},
         {"csc set -1", [](int32_t h) { return csc_1608(h, -1, 3, 1, buf); }, QL_BAD_ADDRESS},
         {"wsc set 8, length 2: set first", [](int32_t h) { return wsc_1608(h, 8, 2, 0, buf); }, QL_BAD_ADDRESS},
         {"wsc length 4", [](int32_t h) { return wsc_1608(h, 0, 4, 0, buf); }, QL_BAD_LENGTH},
         {"rsc set 8, length 2", [](int32_t h) { return rsc_1608(h, 8, 2, 0, buf); }, QL_BAD_ADDRESS},
         {"rsc length 1", [](int32_t h) { return rsc_1608(h, 7, 1, 0, buf); }, QL_BAD_LENGTH},
         {"rsct set 8, length 3", [](int32_t h) { return rsct_1608(h, 8, 3, 0, buf); }, QL_BAD_ADDRESS},
         {"rsct length 3", [](int32_t h) { return rsct_1608(h, 0, 3, 1, buf); }, QL_BAD_LENGTH},
         {"rac zone 8, length 2", [](int32_t h) { return rac_1608(h, 8, 2, buf); }, QL_BAD_ADDRESS},
         {"rac length 2", [](int32_t h) { return rac_1608(h, 0, 2, buf); }, QL_BAD_LENGTH},
         {"wac zone -1", [](int32_t h) { return wac_1608(h, -1, 1, buf); }, QL_BAD_ADDRESS},
         {"wac length 0", [](int32_t h) { return wac_1608(h, 7, 0, buf); }, QL_BAD_LENGTH},
     },
     {
         {"srd zone 8, 127 + 1", [](int32_t h) { return srd_1608(h, 8, 127, 1, buf); }, 0, {}},
         // Zone 8 is the configuration zone, open before personalisation.
         {"swr zone 8, 100 + 28", [](int32_t h) { return swr_1608(h, 8, 100, 28, buf); }, 0, {}},
         {"srdconfig 0 + 129", [](int32_t h) { return srdconfig_1608(h, 0, 129, buf); }, 0, {}},
     }},
    {"sle4404",
     {
         {"srd offset -1 before the length", [](int32_t h) { return srd_4404(h, -1, 0, buf); }, QL_BAD_ADDRESS},
         {"srd offset 52", [](int32_t h) { return srd_4404(h, 52, 1, buf); }, QL_BAD_ADDRESS},
         {"srd 51 + 2", [](int32_t h) { return srd_4404(h, 51, 2, buf); }, QL_BAD_LENGTH},
         {"srd length 0", [](int32_t h) { return srd_4404(h, 0, 0, buf); }, QL_BAD_LENGTH},
         {"swr 50 + 3", [](int32_t h) { return swr_4404(h, 50, 3, buf); }, QL_BAD_LENGTH},
         {"ser offset 14", [](int32_t h) { return ser_4404(h, 14, 1); }, QL_BAD_ADDRESS},
         {"ser offset 39 before the length", [](int32_t h) { return ser_4404(h, 39, 0); }, QL_BAD_ADDRESS},
         {"ser 13 + 40", [](int32_t h) { return ser_4404(h, 13, 40); }, QL_BAD_LENGTH},
         {"ser offset 52", [](int32_t h) { return ser_4404(h, 52, 1); }, QL_BAD_ADDRESS},
         {"csc length 3", [](int32_t h) { return csc_4404(h, 3, buf); }, QL_BAD_LENGTH},
         {"wsc length 3", [](int32_t h) { return wsc_4404(h, 3, buf); }, QL_BAD_LENGTH},
         {"rsc length 1", [](int32_t h) { return rsc_4404(h, 1, buf); }, QL_BAD_LENGTH},
         {"cesc length 2", [](int32_t h) { return cesc_4404(h, 2, buf); }, QL_BAD_LENGTH},
         {"wesc length 5", [](int32_t h) { return wesc_4404(h, 5, buf); }, QL_BAD_LENGTH},
         {"resc length 0", [](int32_t h) { return resc_4404(h, 0, buf); }, QL_BAD_LENGTH},
     },
     {
         {"srd 51 + 1",
          [](int32_t h) { return srd_4404(h, 51, 1, buf); },
          0,
          {Bytes{0xAA, 0x61, 0x00, 0x07, 0x7A, 0, 0, 0, 0x33, 0, 0x01, 0x84}}},
         // Sent across the user area; the card wants its code first.
         {"ser 13 + 39", [](int32_t h) { return ser_4404(h, 13, 39); }, not_presented, {counted(0x76, 0x7A, 13, 39)}},
         {"ser 40 + 4", [](int32_t h) { return ser_4404(h, 40, 4); }, not_presented, {}},
     }},
    {"sle4406",
     {
         {"srd offset -1 before the length", [](int32_t h) { return srd_4406(h, -1, 0, buf); }, QL_BAD_ADDRESS},
         {"srd offset 13", [](int32_t h) { return srd_4406(h, 13, 1, buf); }, QL_BAD_ADDRESS},
         {"srd 12 + 2", [](int32_t h) { return srd_4406(h, 12, 2, buf); }, QL_BAD_LENGTH},
         {"swr length 0", [](int32_t h) { return swr_4406(h, 0, 0, buf); }, QL_BAD_LENGTH},
         {"swr 10 + 4", [](int32_t h) { return swr_4406(h, 10, 4, buf); }, QL_BAD_LENGTH},
         {"eswc 7", [](int32_t h) { return eswc_4406(h, 7); }, QL_BAD_ADDRESS},
         {"eswc 13", [](int32_t h) { return eswc_4406(h, 13); }, QL_BAD_ADDRESS},
         {"csc length 2", [](int32_t h) { return csc_4406(h, 2, buf); }, QL_BAD_LENGTH},
         {"wsc length 4", [](int32_t h) { return wsc_4406(h, 4, buf); }, QL_BAD_LENGTH},
         {"rsc length 0", [](int32_t h) { return rsc_4406(h, 0, buf); }, QL_BAD_LENGTH},
     },
     {
         {"eswc 8: the card counts only once issued",
          [](int32_t h) { return eswc_4406(h, 8); },
          kept,
          {Bytes{0xAA, 0x70, 0x00, 0x05, 0x7B, 0, 0, 0, 0x08, 0xAC}}},
         {"eswc 12", [](int32_t h) { return eswc_4406(h, 12); }, kept, {with_data(0x70, 0x7B, 12, {})}},
     }},
    {"sle4428",
     {
         {"srd offset -1", [](int32_t h) { return srd_4428(h, -1, 0, buf); }, QL_BAD_ADDRESS},
         {"srd offset 1024", [](int32_t h) { return srd_4428(h, 1024, 1, buf); }, QL_BAD_ADDRESS},
         {"srd 1023 + 2", [](int32_t h) { return srd_4428(h, 1023, 2, buf); }, QL_BAD_LENGTH},
         {"srd length 0", [](int32_t h) { return srd_4418(h, 0, 0, buf); }, QL_BAD_LENGTH},
         {"swr offset 1021", [](int32_t h) { return swr_4428(h, 1021, 1, buf); }, QL_BAD_ADDRESS},
         {"swr 1020 + 2", [](int32_t h) { return swr_4428(h, 1020, 2, buf); }, QL_BAD_LENGTH},
         {"rdwpb offset 1021", [](int32_t h) { return rdwpb_4428(h, 1021, 1, buf); }, QL_BAD_ADDRESS},
         {"wrwpb 0 + 1022", [](int32_t h) { return wrwpb_4428(h, 0, 1022, buf); }, QL_BAD_LENGTH},
         {"pwr length 0", [](int32_t h) { return pwr_4428(h, 5, 0, buf); }, QL_BAD_LENGTH},
         {"swr_4418 offset 1024", [](int32_t h) { return swr_4418(h, 1024, 1, buf); }, QL_BAD_ADDRESS},
         {"rdwpb_4418 1023 + 2", [](int32_t h) { return rdwpb_4418(h, 1023, 2, buf); }, QL_BAD_LENGTH},
         {"csc length 3", [](int32_t h) { return csc_4428(h, 3, buf); }, QL_BAD_LENGTH},
         {"wsc length 3", [](int32_t h) { return wsc_4428(h, 3, buf); }, QL_BAD_LENGTH},
         {"rsc length 1", [](int32_t h) { return rsc_4428(h, 1, buf); }, QL_BAD_LENGTH},
     },
     {
         // Whatever the card answers, the last addresses each function reaches do go out.
         {"srd 1023", [](int32_t h) { return srd_4428(h, 1023, 1, buf); }, std::nullopt, {}},
         {"swr 1020", [](int32_t h) { return swr_4428(h, 1020, 1, buf); }, std::nullopt, {}},
         {"rdwpb 1020", [](int32_t h) { return rdwpb_4428(h, 1020, 1, buf); }, std::nullopt, {}},
         {"swr_4418 1023", [](int32_t h) { return swr_4418(h, 1023, 1, buf); }, std::nullopt, {}},
         {"pwr_4418 1023", [](int32_t h) { return pwr_4418(h, 1023, 1, buf); }, std::nullopt, {}},
     }},
    {"sle4442",
     {
         {"srd offset -1 (before the length)", [](int32_t h) { return srd_4442(h, -1, 1000, buf); }, QL_BAD_ADDRESS},
         {"srd offset 256", [](int32_t h) { return srd_4442(h, 256, 1, buf); }, QL_BAD_ADDRESS},
         {"srd length 0", [](int32_t h) { return srd_4442(h, 0, 0, buf); }, QL_BAD_LENGTH},
         {"srd 255 + 2", [](int32_t h) { return srd_4442(h, 255, 2, buf); }, QL_BAD_LENGTH},
         {"swr offset 256 passes, its length fails", [](int32_t h) { return swr_4442(h, 256, 1, buf); }, QL_BAD_LENGTH},
         {"swr offset 257", [](int32_t h) { return swr_4442(h, 257, 1, buf); }, QL_BAD_ADDRESS},
         {"swr 100 + 157", [](int32_t h) { return swr_4442(h, 100, 157, buf); }, QL_BAD_LENGTH},
         {"prd length 3", [](int32_t h) { return prd_4442(h, 3, buf); }, QL_BAD_LENGTH},
         {"prd length 5", [](int32_t h) { return prd_4442(h, 5, buf); }, QL_BAD_LENGTH},
         {"pwr offset 32", [](int32_t h) { return pwr_4442(h, 32, 1, buf); }, QL_BAD_ADDRESS},
         {"pwr 30 + 3", [](int32_t h) { return pwr_4442(h, 30, 3, buf); }, QL_BAD_LENGTH},
         {"pwr length 0", [](int32_t h) { return pwr_4442(h, 0, 0, buf); }, QL_BAD_LENGTH},
         {"csc length 2", [](int32_t h) { return csc_4442(h, 2, buf); }, QL_BAD_LENGTH},
         {"wsc length 4", [](int32_t h) { return wsc_4442(h, 4, buf); }, QL_BAD_LENGTH},
         {"rsc length 0", [](int32_t h) { return rsc_4442(h, 0, buf); }, QL_BAD_LENGTH},
         {"csc text with a G", [](int32_t h) { return csc_4442_hex(h, 3, bad_text); }, QL_NOT_HEX},
         {"wsc text of 3 characters", [](int32_t h) { return wsc_4442_hex(h, 3, short_text); }, QL_NOT_HEX},
         {"srd_2042 offset 256", [](int32_t h) { return srd_2042(h, 256, 1, buf); }, QL_BAD_ADDRESS},
         {"pwr_4432 offset 32", [](int32_t h) { return pwr_4432(h, 32, 1, buf); }, QL_BAD_ADDRESS},
         {"csc_2042 length 4", [](int32_t h) { return csc_2042(h, 4, buf); }, QL_BAD_LENGTH},
     },
     {
         {"srd 255 + 1", [](int32_t h) { return srd_4442(h, 255, 1, buf); }, 0, {counted(0x61, 0x79, 255, 1)}},
     }},
    {"24c02",
     {
         {"srd_24c01a offset 128", [](int32_t h) { return srd_24c01a(h, 128, 1, buf); }, QL_BAD_ADDRESS},
         {"srd_24c01a offset 100 length 29", [](int32_t h) { return srd_24c01a(h, 100, 29, buf); }, QL_BAD_LENGTH},
         {"srd_24c01a offset -1", [](int32_t h) { return srd_24c01a(h, -1, 1, buf); }, QL_BAD_ADDRESS},
         {"swr_24c02 length 0", [](int32_t h) { return swr_24c02(h, 0, 0, buf); }, QL_BAD_LENGTH},
         {"swr_24c02 offset 256 length 0: offset first", [](int32_t h) { return swr_24c02(h, 256, 0, buf); },
          QL_BAD_ADDRESS},
         {"srd_24c02 length -5", [](int32_t h) { return srd_24c02(h, 0, -5, buf); }, QL_BAD_LENGTH},
         {"swr_24c04 offset 500 length 13", [](int32_t h) { return swr_24c04(h, 500, 13, buf); }, QL_BAD_ADDRESS},
         {"srd_24c04 offset 500 length 13", [](int32_t h) { return srd_24c04(h, 500, 13, buf); }, QL_BAD_LENGTH},
         {"swr_24c04 length 0 stays a length fault", [](int32_t h) { return swr_24c04(h, 0, 0, buf); }, QL_BAD_LENGTH},
         {"swr_24c08 offset 500 length 525", [](int32_t h) { return swr_24c08(h, 500, 525, buf); }, QL_BAD_LENGTH},
         {"srd_24c16 offset 2048", [](int32_t h) { return srd_24c16(h, 2048, 1, buf); }, QL_BAD_ADDRESS},
         {"swr_24c32 offset 4000 length 97", [](int32_t h) { return swr_24c32(h, 4000, 97, buf); }, QL_BAD_LENGTH},
         {"srd_24c64 offset 8192", [](int32_t h) { return srd_24c64(h, 8192, 1, buf); }, QL_BAD_ADDRESS},
         {"swr_24c64 offset 1 length 8192", [](int32_t h) { return swr_24c64(h, 1, 8192, buf); }, QL_BAD_LENGTH},
     },
     {
         {"srd_24c01a offset 127", [](int32_t h) { return srd_24c01a(h, 127, 1, buf); }, 0, {}},
     }},
    {"93c46",
     {
         {"srd_93c46a offset 64", [](int32_t h) { return srd_93c46a(h, 64, 1, buf); }, QL_BAD_ADDRESS},
         {"srd_93c46a offset 1 length 64", [](int32_t h) { return srd_93c46a(h, 1, 64, buf); }, QL_BAD_LENGTH},
         {"swr_93c46 offset 128", [](int32_t h) { return swr_93c46(h, 128, 1, buf); }, QL_BAD_ADDRESS},
         {"srd_93c46 length 0", [](int32_t h) { return srd_93c46(h, 0, 0, buf); }, QL_BAD_LENGTH},
         {"srd_93c57 offset 200 length 57", [](int32_t h) { return srd_93c57(h, 200, 57, buf); }, QL_BAD_ADDRESS},
         {"swr_93c57 offset 200 length 57", [](int32_t h) { return swr_93c57(h, 200, 57, buf); }, QL_BAD_LENGTH},
         {"srd_93c57 length 0 stays a length fault", [](int32_t h) { return srd_93c57(h, 0, 0, buf); }, QL_BAD_LENGTH},
         {"srd_93c66 offset -1", [](int32_t h) { return srd_93c66(h, -1, 1, buf); }, QL_BAD_ADDRESS},
         {"swr_93c66 offset 511 length 2", [](int32_t h) { return swr_93c66(h, 511, 2, buf); }, QL_BAD_LENGTH},
     },
     {}},
    {"at45d041",
     {
         {"srd length 2 from the last byte", [](int32_t h) { return srd_45d041(h, 2047, 263, 2, buf); }, QL_BAD_LENGTH},
         {"srd page 2048", [](int32_t h) { return srd_45d041(h, 2048, 0, 1, buf); }, QL_BAD_ADDRESS},
         {"srd offset 264", [](int32_t h) { return srd_45d041(h, 0, 264, 1, buf); }, QL_BAD_ADDRESS},
         {"srd length 0 before the page", [](int32_t h) { return srd_45d041(h, 2048, 0, 0, buf); }, QL_BAD_LENGTH},
         {"swr page -1", [](int32_t h) { return swr_45d041(h, -1, 0, 1, buf); }, QL_BAD_ADDRESS},
         {"swr a byte past the card",
          [](int32_t h) { return swr_45d041(h, 0, 0, 2048 * 264 + 1, buf); }, QL_BAD_LENGTH},
         {"Read_45 offset -1", [](int32_t h) { return Read_45(h, 0, -1, 1, buf); }, QL_BAD_ADDRESS},
         {"Read_45 negative length", [](int32_t h) { return Read_45(h, 0, 0, -5, buf); }, QL_BAD_LENGTH},
         {"Write_45 from page 1 offset 1, the card's rest + 1",
          [](int32_t h) { return Write_45(h, 1, 1, 2048 * 264 - 264, buf); }, QL_BAD_LENGTH},
     },
     {
         // The last byte of the card is in range, and erased, as the whole card is when made.
         {"Read_45 the last byte",
          [](int32_t h) {
              uint8_t last = 0;
              const int16_t status = Read_45(h, 2047, 263, 1, &last);
              EXPECT_EQ(last, 0xFF);
              return status;
          },
          0,
          {at45_last_byte, at45_last_byte}},
     },
     true},
    {"ssf1101",
     {
         {"srd length 2 from the last byte",
          [](int32_t h) { return srd_ssf1101(h, 511, 1023, 2, buf); }, QL_BAD_LENGTH},
         {"srd offset 1024", [](int32_t h) { return srd_ssf1101(h, 0, 1024, 1, buf); }, QL_BAD_ADDRESS},
         {"srd length 0 before the page", [](int32_t h) { return srd_ssf1101(h, 512, 0, 0, buf); }, QL_BAD_LENGTH},
         {"srd page -1", [](int32_t h) { return srd_ssf1101(h, -1, 0, 1, buf); }, QL_BAD_ADDRESS},
         {"swr page 512", [](int32_t h) { return swr_ssf1101(h, 512, 0, 1, buf); }, QL_BAD_ADDRESS},
         {"swr offset 1025", [](int32_t h) { return swr_ssf1101(h, 0, 1025, 1, buf); }, QL_BAD_ADDRESS},
         {"swr page 511 offset 1024", [](int32_t h) { return swr_ssf1101(h, 511, 1024, 1, buf); }, QL_BAD_LENGTH},
         {"swr a byte past the card",
          [](int32_t h) { return swr_ssf1101(h, 0, 0, 512 * 1024 + 1, buf); }, QL_BAD_LENGTH},
         {"swr length 0", [](int32_t h) { return swr_ssf1101(h, 0, 0, 0, buf); }, QL_OK},
         {"swr length -5", [](int32_t h) { return swr_ssf1101(h, 0, 0, -5, buf); }, QL_OK},
     },
     {
     },
     true},
};

INSTANTIATE_TEST_SUITE_P(Families, ArgumentChecks, ::testing::ValuesIn(families),
                         [](const ::testing::TestParamInfo<Family>& row) { return std::string(row.param.card); });

}  // namespace
