#include "emulator/device_setup.h"

#include <algorithm>
#include <cstring>

#include "zvlkrmt/protocol/messages.h"

namespace zv::emu {
namespace {

// Offsets inside the images (both layouts) and the data-information block.
constexpr size_t kDualCanGroup = 20, kDualLinGroup = 92, kDualSelection = 1376, kDualFeatures = 1408;
constexpr size_t kDualEmptyAfterConditions = 1364, kDualParam12 = 1324, kDualParam8 = 1348;
constexpr size_t kCanOnlyCanGroup = 20, kCanOnlySelection = 776, kCanOnlyParam12 = 724, kCanOnlyParam8 = 748;
constexpr size_t kCanOnlyEmptyA = 808, kCanOnlyEmptyB = 764;

void copy(uint8_t* to, size_t at, const uint8_t* from, size_t off, size_t n) { std::memcpy(to + at, from + off, n); }

// The condition summary: plain values, both 12-byte and both 8-byte parameter records.
void conditionSummary(uint8_t* b, size_t at, const uint8_t* image, size_t p12, size_t p8, bool knownMode) {
    putU32(b, at, 72);
    putU32(b, at + 4, 0);
    putU32(b, at + 8, 0);
    putU32(b, at + 12, 0);
    copy(b, at + 16, image, p12, 12);
    putU32(b, at + 28, 0);
    copy(b, at + 32, image, p12 + 12, 12);
    putU32(b, at + 44, 0);
    copy(b, at + 48, image, p8, 8);
    putU32(b, at + 56, 0);
    copy(b, at + 60, image, p8 + 8, 8);
    putU32(b, at + 68, knownMode ? 4 : 0);  // EmptyRecord of the current mode
}

}  // namespace

uint32_t canBitRate(const uint8_t* c) {
    static constexpr uint32_t kPreset[] = {333333, 500000, 833333, 1000000, 1250000, 2500000, 5000000, 10000000};
    const uint8_t code = c[4];
    uint32_t tenths = 0;
    if (code >= 1 && code <= 8) {
        tenths = kPreset[code - 1];
    } else {
        const uint32_t quanta = uint32_t{c[12]} + c[13] + c[14] + 1;
        tenths = getU32(c, 8) / quanta;
    }
    return std::max<uint32_t>(tenths / 10, 1000);  // a nonsense timing still gives a slow bus
}

DeviceSetup::DeviceSetup(BoardType boardType) : boardType_(boardType), canOnly_(isCanOnlyBoard(boardType)) {
    // An unsupported code (for tests) keeps the dual-protocol layout.
    const BoardType defaultsFor = isSupportedBoard(boardType) ? boardType : kDefaultBoardType;
    image_.initDefaults(defaultsFor);
    canTables_.initDefaults(defaultsFor);
    linTables_.initDefaults(defaultsFor);
    canOnlyImage_.initDefaults(defaultsFor);
    if (canOnly_) exportToCanOnly(image_, canOnlyImage_);
}

std::vector<uint8_t> DeviceSetup::wrapper(uint32_t area) const {
    std::vector<uint8_t> out;
    switch (area) {
        case kAreaSetupImage:
            if (canOnly_) {
                out.resize(SetupImageCanOnly::kSize + kWrapperHeaderSize);
                composeWrapper(kTagSetup, canOnlyImage_, out.data());
            } else {
                out.resize(SetupImage::kSize + kWrapperHeaderSize);
                composeWrapper(kTagSetup, image_, out.data());
            }
            break;
        case kAreaCanTransmitTables:
            out.resize(CanTransmitTables::kSize + kWrapperHeaderSize);
            composeWrapper(kTagCanTables, canTables_, out.data());
            break;
        case kAreaLinTransmitTables:
            if (!canOnly_) {
                out.resize(LinTransmitTables::kSize + kWrapperHeaderSize);
                composeWrapper(kTagLinTables, linTables_, out.data());
            }
            break;
        default: break;
    }
    return out;
}

Result DeviceSetup::accept(uint32_t area, const uint8_t* data, size_t size) {
    const BoardType b = isSupportedBoard(boardType_) ? boardType_ : kDefaultBoardType;
    auto exact = [&](uint32_t tag, size_t content) {
        return size == content + kWrapperHeaderSize && getU32(data, 0) == tag && getU32(data, 4) == content;
    };
    // The content is checked by parsing it into a scratch copy; what is stored is the content
    // as sent, so a send followed by a receive gives back the same bytes.
    switch (area) {
        case kAreaSetupImage:
            if (canOnly_) {
                SetupImageCanOnly scratch;
                scratch.initDefaults(b);
                if (!exact(kTagSetup, SetupImageCanOnly::kSize) ||
                    parseSetupWrapper(scratch, data, size, b) != size || getU32(data, 8) != SetupImageCanOnly::kSize)
                    return remote::kBadBlock;
                std::copy_n(data + kWrapperHeaderSize, SetupImageCanOnly::kSize, canOnlyImage_.bytes.begin());
                importFromCanOnly(canOnlyImage_, image_);
                return kOk;
            } else {
                SetupImage scratch;
                scratch.initDefaults(b);
                if (!exact(kTagSetup, SetupImage::kSize) || parseSetupWrapper(scratch, data, size, b) != size ||
                    getU32(data, 8) != SetupImage::kSize)
                    return remote::kBadBlock;
                std::copy_n(data + kWrapperHeaderSize, SetupImage::kSize, image_.bytes.begin());
                return kOk;
            }
        case kAreaCanTransmitTables: {
            CanTransmitTables scratch;
            scratch.initDefaults(b);
            if (!exact(kTagCanTables, CanTransmitTables::kSize) || parseCanTablesWrapper(scratch, data, size, b) == 0)
                return remote::kBadBlock;
            std::copy_n(data + kWrapperHeaderSize, CanTransmitTables::kSize, canTables_.bytes.begin());
            return kOk;
        }
        case kAreaLinTransmitTables: {
            if (canOnly_) return remote::kBadBlock;
            LinTransmitTables scratch;
            scratch.initDefaults(b);
            if (!exact(kTagLinTables, LinTransmitTables::kSize) || parseLinTablesWrapper(scratch, data, size, b) == 0)
                return remote::kBadBlock;
            std::copy_n(data + kWrapperHeaderSize, LinTransmitTables::kSize, linTables_.bytes.begin());
            return kOk;
        }
        default: return remote::kBadBlock;
    }
}

SetupPlan DeviceSetup::plan() const {
    SetupPlan p;
    p.boardType = boardType_;
    p.canOnly = canOnly_;
    const uint8_t* img = canOnly_ ? canOnlyImage_.data() : image_.data();
    const size_t canGroup = canOnly_ ? kCanOnlyCanGroup : kDualCanGroup;
    const size_t selection = canOnly_ ? kCanOnlySelection : kDualSelection;
    p.analogInputs = !canOnly_ && img[kDualFeatures + 6] == 1;
    const BoardInfo* board = findBoard(boardType_);
    const bool linAvailable = board ? board->linAvailable : !canOnly_;
    for (int ch = 0; ch < 2; ++ch) {
        ChannelPlan& c = p.channels[static_cast<size_t>(ch)];
        const uint8_t protocol = img[selection + 4 + static_cast<size_t>(ch)];
        c.protocol = (protocol == 2 && linAvailable) ? ChannelProtocol::Lin : ChannelProtocol::Can;
        c.bitRate = canBitRate(img + canGroup + 8 + 32 * static_cast<size_t>(ch));
        if (c.protocol == ChannelProtocol::Lin) {
            const uint8_t* lin = img + kDualLinGroup + 8 + 288 * static_cast<size_t>(ch);
            c.bitRate = std::clamp<uint32_t>(getU32(lin, 4) / 10, 400, 26000);
            c.useIdTable = lin[8] == 1;
            c.checksumType = lin[16] == 1 ? 1 : 0;
            for (size_t id = 0; id < 64; ++id) {
                const uint8_t classLength = id < 0x20 ? 2 : id < 0x30 ? 4 : 8;
                if (c.useIdTable) {
                    const uint8_t* entry = lin + 24 + 4 + 4 * id;
                    c.linLength[id] = std::min<uint8_t>(entry[0] & 0x0F, 8);
                    c.linChecksum[id] = entry[1] == 1 ? 1 : 0;
                } else {
                    c.linLength[id] = classLength;
                    c.linChecksum[id] = c.checksumType;
                }
            }
        }
    }
    return p;
}

DataInfoBlock DeviceSetup::dataInfo() const {
    const BoardType b = isSupportedBoard(boardType_) ? boardType_ : kDefaultBoardType;
    DataInfoBlock block = composeDataInfoBlock(b);
    uint8_t* d = block.data();
    if (canOnly_) {
        const uint8_t* img = canOnlyImage_.data();
        d[10] = 32;
        copy(d, 12, img, 4, 8);               // SetupIdent
        copy(d, 20, img, kCanOnlyEmptyA, 4);  // EmptyRecord in place of BoardFeatures
        putU32(d, 24, 76);
        copy(d, 28, img, kCanOnlyCanGroup, 72);
        putU32(d, 100, 8);
        const bool knownMode = img[8] == 0 || img[8] == 4;
        putU32(d, 104, knownMode ? 4 : 0);
        copy(d, 108, img, kCanOnlyEmptyB, 4);
        putU32(d, 112, 20);
        copy(d, 116, img, kCanOnlySelection, 16);
        conditionSummary(d, 132, img, kCanOnlyParam12, kCanOnlyParam8, knownMode);
    } else {
        const uint8_t* img = image_.data();
        d[10] = 32;
        copy(d, 12, img, 4, 8);
        copy(d, 20, img, kDualFeatures, 8);
        putU32(d, 28, 660);
        copy(d, 32, img, kDualCanGroup, 72);
        copy(d, 104, img, kDualLinGroup, 584);
        putU32(d, 688, 8);
        const bool knownMode = img[8] == 0 || img[8] == 4;
        putU32(d, 692, knownMode ? 4 : 0);
        copy(d, 696, img, kDualEmptyAfterConditions, 4);
        putU32(d, 700, 20);
        copy(d, 704, img, kDualSelection, 16);
        conditionSummary(d, 720, img, kDualParam12, kDualParam8, knownMode);
    }
    return block;
}

}  // namespace zv::emu
