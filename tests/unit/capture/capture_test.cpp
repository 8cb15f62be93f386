#include "capture/capture.h"

#include <gtest/gtest.h>

#include <vector>

#include "capture/capture_test_files.h"
#include "support/temp_dir.h"

namespace zv {
namespace {

using testfiles::Bytes;
using testfiles::chunk;
using testfiles::dataFile;
using testfiles::hexBytes;
using testfiles::join;
using testfiles::signature;

// Three records with distinct sources, time stamps 1, 2, 3.
Bytes threeRecords() {
    Bytes r;
    for (uint8_t i = 1; i <= 3; ++i) {
        Bytes one(32, 0);
        one[0] = i;
        one[4] = i;
        r.insert(r.end(), one.begin(), one.end());
    }
    return r;
}

std::vector<uint8_t> visitAll(const CCapture& c) {
    std::vector<uint8_t> sources;
    uint32_t position = 0;
    if (c.count() == 0) return sources;
    do {
        sources.push_back(c.record(position).source());
    } while (c.next(position));
    return sources;
}

TEST(DataFileLoad, SignatureAloneHasNoRecordChunk) {
    const Bytes image = signature();
    CCapture c;
    EXPECT_FALSE(c.load(image.data(), image.size()));
    EXPECT_EQ(c.status(), DataFileStatus::NoRecordChunk);
    EXPECT_EQ(c.count(), 0u);
    EXPECT_EQ(checkDataFileImage(image.data(), image.size()), DataFileStatus::NoRecordChunk);
}

TEST(DataFileLoad, ShortImagesAndWrongSignatures) {
    CCapture c;
    Bytes image = dataFile("MDCL", threeRecords());
    EXPECT_FALSE(c.load(image.data(), 15));
    EXPECT_EQ(c.status(), DataFileStatus::TooShort);
    EXPECT_FALSE(c.load(nullptr, 0));

    Bytes noZero = image;
    noZero[15] = ' ';  // the 16th byte must be the zero byte
    EXPECT_FALSE(c.load(noZero.data(), noZero.size()));
    EXPECT_EQ(c.status(), DataFileStatus::BadSignature);

    Bytes lowerCase = image;
    lowerCase[8] = 'd';
    EXPECT_FALSE(c.load(lowerCase.data(), lowerCase.size()));

    EXPECT_TRUE(c.load(image.data(), image.size()));
    EXPECT_EQ(c.status(), DataFileStatus::Ok);
}

TEST(DataFileLoad, EmptyRecordChunkLoadsWithoutRecords) {
    const Bytes image = dataFile("MDCL", {});
    CCapture c;
    ASSERT_TRUE(c.load(image.data(), image.size()));
    EXPECT_EQ(c.count(), 0u);
    EXPECT_EQ(c.recordTag(), kTagMdcl);
    uint32_t position = 0;
    EXPECT_FALSE(c.next(position));
    EXPECT_EQ(position, 0u);
}

TEST(DataFileLoad, ChunkRunningOnePastTheEndInvalidatesTheFile) {
    // A valid MONC chunk, then a chunk that claims one byte more than remains.
    Bytes image = join({dataFile("MONC", threeRecords()), hexBytes("58 58 58 58 | 05000000 | 01 02 03 04")});
    CCapture c;
    EXPECT_FALSE(c.load(image.data(), image.size()));
    EXPECT_EQ(c.status(), DataFileStatus::BadChunk);
    EXPECT_EQ(c.count(), 0u);
    EXPECT_EQ(c.recordTag(), 0u);
    // Exactly the remaining bytes is fine.
    image.push_back(0x05);
    EXPECT_TRUE(c.load(image.data(), image.size()));
    EXPECT_EQ(c.count(), 3u);
}

TEST(DataFileLoad, NegativeChunkLengthInvalidatesTheFile) {
    const Bytes image = join({signature(), hexBytes("4D 44 43 4C | FFFFFFFF | 00 00 00 00 00 00 00 00")});
    CCapture c;
    EXPECT_FALSE(c.load(image.data(), image.size()));
    EXPECT_EQ(c.status(), DataFileStatus::BadChunk);
}

TEST(DataFileLoad, LaterRecordChunkReplacesEarlierOne) {
    Bytes second(32, 0);
    second[0] = 0x41;
    const Bytes image = join({signature(), chunk("MONC", threeRecords()), chunk("MDCL", second)});
    CCapture c;
    ASSERT_TRUE(c.load(image.data(), image.size()));
    EXPECT_EQ(c.recordTag(), kTagMdcl);
    ASSERT_EQ(c.count(), 1u);
    EXPECT_EQ(c.record(0).source(), 0x41);
}

TEST(DataFileLoad, UnknownChunksAndShortTailAreSkipped) {
    const Bytes image =
        join({signature(), chunk("XTRA", hexBytes("01 02 03")), chunk("MDCL", threeRecords()), hexBytes("44 49 4E")});
    CCapture c;
    ASSERT_TRUE(c.load(image.data(), image.size()));
    EXPECT_EQ(c.count(), 3u);
}

TEST(DataFileLoad, PartialRecordAtTheEndIsNotARecord) {
    Bytes records = threeRecords();
    records.resize(100);  // 3 records and 4 bytes
    const Bytes image = dataFile("MDCL", records);
    CCapture c;
    ASSERT_TRUE(c.load(image.data(), image.size()));
    EXPECT_EQ(c.count(), 3u);
    EXPECT_EQ(visitAll(c), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(DataFileLoad, TheRecordAreaIsNotCopied) {
    const Bytes image = dataFile("MDCL", threeRecords());
    CCapture c;
    ASSERT_TRUE(c.load(image.data(), image.size()));
    EXPECT_EQ(c.recordAreaBegin(), image.data() + 24);  // signature and one chunk head
    EXPECT_EQ(c.recordBytes(2), image.data() + 24 + 64);
}

TEST(DataFileLoad, DataInformationBlock) {
    CCapture c;
    // Without "DINF": the defaults, analog-input flag 0.
    const Bytes plain = dataFile("MDCL", threeRecords());
    ASSERT_TRUE(c.load(plain.data(), plain.size()));
    EXPECT_EQ(c.analogInputs(), 0);
    EXPECT_EQ(c.dataInfo(), dataFileSummaryDefaults());

    Bytes dinf = testfiles::dualDinf(1);
    dinf[testfiles::dinf::kChannelProtocol[1]] = 2;
    const Bytes withInfo = dataFile(dinf, "MDCL", threeRecords());
    ASSERT_TRUE(c.load(withInfo.data(), withInfo.size()));
    EXPECT_EQ(c.analogInputs(), 1);
    EXPECT_EQ(c.dataInfo().channelProtocol(1), 2);
    EXPECT_EQ(getU32(c.dataInfo().linChannel(0), 4), 96000u);

    // The next load starts from the defaults again.
    ASSERT_TRUE(c.load(plain.data(), plain.size()));
    EXPECT_EQ(c.analogInputs(), 0);

    // A block the merge rejects does not make the file invalid.
    Bytes rejected = testfiles::dualDinf(1);
    rejected[16] = 5;  // operation mode other than 0 or 4
    const Bytes withRejected = dataFile(rejected, "MDCL", threeRecords());
    EXPECT_TRUE(c.load(withRejected.data(), withRejected.size()));
    EXPECT_EQ(c.count(), 3u);
}

TEST(CaptureIteration, NextWrapsToTheEndMarker) {
    const Bytes image = dataFile("MDCL", threeRecords());
    CCapture c;
    ASSERT_TRUE(c.load(image.data(), image.size()));
    uint32_t position = 0;
    EXPECT_TRUE(c.next(position));
    EXPECT_EQ(position, 1u);
    EXPECT_TRUE(c.next(position));
    EXPECT_EQ(position, 2u);
    EXPECT_FALSE(c.next(position));  // the start of the area is the end marker
    EXPECT_EQ(position, 2u);
}

TEST(CaptureIteration, SeekClamps) {
    const Bytes image = dataFile("MDCL", threeRecords());
    CCapture c;
    ASSERT_TRUE(c.load(image.data(), image.size()));
    EXPECT_EQ(c.current(), 0u);
    c.seek(-5);
    EXPECT_EQ(c.current(), 0u);
    c.seek(99);
    EXPECT_EQ(c.current(), 2u);
    c.seek(1);
    EXPECT_EQ(c.current(), 1u);
    CCapture empty;
    empty.seek(7);
    EXPECT_EQ(empty.current(), 0u);
}

TEST(DataFileOnDisk, QuickCheckAndLoadForBothUses) {
    test::TempDir dir;
    const std::string good = dir.file("00000001.DT");
    const std::string other = dir.file("second.DT");
    const std::string bad = dir.file("bad.DT");
    testfiles::writeFile(good, dataFile("MDCL", threeRecords()));
    Bytes one(32, 0);
    one[0] = 2;
    testfiles::writeFile(other, dataFile("MONC", one));
    testfiles::writeFile(bad, join({signature(), hexBytes("4D 44 43 4C | 40000000")}));

    EXPECT_TRUE(fileIsDataFile(good));
    EXPECT_FALSE(fileIsDataFile(bad));
    EXPECT_FALSE(fileIsDataFile(dir.file("missing.DT")));
    EXPECT_FALSE(fileIsDataFile(dir.path().string()));  // a folder

    ASSERT_TRUE(loadFile(good, kCaptureUseDisplay));
    ASSERT_TRUE(loadFile(other, kCaptureUseConversion));
    EXPECT_EQ(captureForUse(0).count(), 3u);
    EXPECT_EQ(&captureForUse(1), &captureForUse(0));
    EXPECT_EQ(captureForUse(2).recordTag(), kTagMonc);

    releaseImages(2);  // the conversion image only
    EXPECT_EQ(captureForUse(2).count(), 0u);
    EXPECT_EQ(captureForUse(0).count(), 3u);
    releaseImages(2);  // again, without a load: nothing happens
    releaseImages(1);
    EXPECT_EQ(captureForUse(0).count(), 0u);

    EXPECT_FALSE(loadFile(bad, kCaptureUseDisplay));
    EXPECT_EQ(captureForUse(0).count(), 0u);

    LoadedDataFile loaded;
    EXPECT_FALSE(loaded.loadFile(dir.file("missing.DT")));
    EXPECT_EQ(loaded.status(), DataFileStatus::Unreadable);
    EXPECT_FALSE(loaded.loadFile(bad));
    EXPECT_EQ(loaded.status(), DataFileStatus::BadChunk);
}

}  // namespace
}  // namespace zv
