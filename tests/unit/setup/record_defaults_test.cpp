// Fresh setup areas must be byte-exact: they are what a new setup file and a first send carry.
#include <gtest/gtest.h>

#include <memory>

#include "expected_images.h"
#include "setup/setup_areas.h"

namespace zv {
namespace {

using test::Bytes;

Bytes bytesOf(const auto& area) { return Bytes(area.bytes.begin(), area.bytes.end()); }

// Reports the first differing offset instead of two 2 KB dumps.
void expectSameBytes(const Bytes& expected, const Bytes& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(int(expected[i]), int(actual[i])) << "first difference at offset " << i;
}

TEST(SetupDefaults, DualImageIsByteExactForEveryBoardFamily) {
    struct Case {
        BoardType board;
        uint8_t analogInputs;
    } cases[] = {{73763, 1}, {73762, 1}, {65571, 0}, {65554, 0}, {0, 0}, {12345, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.board);
        SetupImage image;
        image.initDefaults(c.board);
        expectSameBytes(test::defaultSetupImage(c.analogInputs), bytesOf(image));
    }
}

TEST(SetupDefaults, CanOnlyImageIsByteExact) {
    SetupImageCanOnly image;
    image.initDefaults(65555);
    expectSameBytes(test::defaultSetupImageCanOnly(), bytesOf(image));
}

TEST(SetupDefaults, TransmitTablesDeclareOnlyTheirHeaderSize) {
    auto can = std::make_unique<CanTransmitTables>();
    can->initDefaults(73763);
    expectSameBytes(test::defaultCanTransmitTables(), bytesOf(*can));
    auto lin = std::make_unique<LinTransmitTables>();
    lin->initDefaults(73763);
    expectSameBytes(test::defaultLinTransmitTables(), bytesOf(*lin));
}

TEST(SetupDefaults, SetupIdentOnItsOwnHoldsNoModeAndNoLayout) {
    uint8_t ident[8];
    setup::initRecord(setup::kSetupIdent, ident, {});
    EXPECT_EQ(test::rd32(ident, 0), 8u);
    EXPECT_EQ(ident[4], 255);
    EXPECT_EQ(ident[5], 255);
}

TEST(SetupDefaults, RecordTablesCoverEveryByteExactlyOnce) {
    // Overlapping or missing fields would make the dump lie and the defaults land wrong.
    const setup::RecordDef* records[] = {
        &setup::kSetupImage, &setup::kSetupImageCanOnly, &setup::kCanTransmitTables, &setup::kLinTransmitTables};
    struct Walker {
        static void walk(const setup::RecordDef& def, size_t base, std::vector<int>& hits) {
            for (size_t i = 0; i < 4; ++i) ++hits.at(base + i);
            for (const auto& f : def.fields)
                for (size_t n = 0; n < f.count; ++n)
                    for (size_t i = 0; i < f.width; ++i) ++hits.at(base + f.offset + n * f.stride + i);
            for (const auto& c : def.children)
                for (size_t n = 0; n < c.count; ++n) walk(*c.def, base + c.offset + n * c.def->size, hits);
        }
    };
    for (const setup::RecordDef* def : records) {
        SCOPED_TRACE(std::string(def->name));
        std::vector<int> hits(def->size, 0);
        Walker::walk(*def, 0, hits);
        for (size_t i = 0; i < hits.size(); ++i) ASSERT_EQ(hits[i], 1) << "offset " << i;
    }
}

}  // namespace
}  // namespace zv
