// The buffer files of a monitor measurement that ends without the program finishing it: Exit
// in the middle of it, and the program killed. Every file left behind must open in the program
// and in the converter with every record its header counts, as the analyzer's option board,
// whether the analyzer's data-information block reached it or not.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "measurement_fixture_win.h"

namespace zvui {
namespace {

constexpr size_t kDualHeaderSize = 844;  // the header of a CAN/LIN board's data file
constexpr size_t kRecordBytesOffset = 840;
constexpr int kExitCommand = 2124;

// The record bytes the header of a buffer file counts; 0 for a file too short to say.
uint32_t countedRecordBytes(const std::string& path) {
    const std::string bytes = readBinaryFile(path);
    return bytes.size() < kDualHeaderSize ? 0 : littleEndian32(bytes, kRecordBytesOffset);
}

class Durability : public MeasurementFixture {
protected:
    // Connects to the built-in analyzer sending RATE records a second into files of 1 MiB,
    // with the emulator's SETTINGS, starts monitoring and waits until the open file counts at
    // least MIN_RECORDS records.
    void monitorUntil(const std::string& rate, uint32_t minRecords, const std::string& settings = {}) {
        configureAnalyzer("fixed-rate = " + rate + "\r\n" + settings);
        writeProfileWith("[buffer]\r\nblock=1M,10\r\nwarning=no\r\n");
        ASSERT_TRUE(startMain());
        connectAndWaitForIdle();
        startMonitoring();
        ASSERT_FALSE(HasFatalFailure());
        const std::string first = bufferFolder() + "\\00000000.DT";
        ASSERT_TRUE(waitFor([&] { return countedRecordBytes(first) >= minRecords * 32; }, 20000))
            << "00000000.DT counts " << countedRecordBytes(first) << " record bytes";
    }

    // The numbered files, each checked as the program and the converter read it; the records
    // of all of them.
    uint64_t expectFilesOpenWithEveryCountedRecord() {
        const std::vector<std::string> names = bufferFileNames();
        EXPECT_FALSE(names.empty());
        const std::string converter = builtFile("zvdconv");
        EXPECT_FALSE(converter.empty());
        uint64_t total = 0;
        for (size_t i = 0; i < names.size(); ++i) {
            const std::string& name = names[i];
            SCOPED_TRACE(name);
            char expectedName[16];
            std::snprintf(expectedName, sizeof expectedName, "%08u.DT", static_cast<unsigned>(i));
            EXPECT_EQ(name, expectedName);
            const std::string path = bufferFolder() + "\\" + name;
            const std::string bytes = readBinaryFile(path);
            EXPECT_GE(bytes.size(), kDualHeaderSize);
            if (bytes.size() < kDualHeaderSize) continue;
            EXPECT_EQ(bytes.substr(0, 16), std::string("ZEVRONA DATA   \0", 16));
            const uint32_t counted = littleEndian32(bytes, kRecordBytesOffset);
            EXPECT_GT(counted, 0u);
            EXPECT_EQ(counted % 32, 0u);
            EXPECT_EQ(bytes.size(), kDualHeaderSize + counted);

            zv::LoadedDataFile file;
            EXPECT_TRUE(file.loadFile(path)) << zv::dataFileStatusText(file.status());
            EXPECT_EQ(file.capture().count(), counted / 32);
            // The analyzer is an EX-NB3BP: its records carry the analog inputs.
            EXPECT_EQ(file.capture().analogInputs(), 1);
            total += counted / 32;

            // The converter reports the same count and writes a row for each record.
            const std::string base = name.substr(0, name.size() - 3);
            const std::string info = sandbox_->root() + "\\" + base + ".info";
            EXPECT_EQ(runProgram("\"" + converter + "\" --info " + name, bufferFolder(), info), 0)
                << readTextFile(info);
            const std::string text = readTextFile(info);
            const std::string records = "records:        " + std::to_string(counted / 32);
            const size_t at = text.find(records);
            EXPECT_TRUE(at != std::string::npos && (text[at + records.size()] == '\r' || text[at + records.size()] == '\n'))
                << text;
            EXPECT_NE(text.find("analog inputs:  1"), std::string::npos) << text;
            const std::string log = sandbox_->root() + "\\" + base + ".log";
            EXPECT_EQ(runProgram("\"" + converter + "\" --csv " + name, bufferFolder(), log), 0) << readTextFile(log);
            const std::string csv = readTextFile(bufferFolder() + "\\" + base + ".csv");
            size_t lines = 0;
            for (char c : csv) lines += c == '\n' ? 1 : 0;
            EXPECT_EQ(lines, counted / 32 + 1);  // the column header, then one row per record
        }
        return total;
    }
};

TEST_F(Durability, ExitWhileMonitoringFinishesTheBufferFileWithoutAsking) {
    // An analyzer that announces no monitor information: the files never get its block.
    monitorUntil("2000", 2000, "monitor-ready = no\r\n");
    ASSERT_FALSE(HasFatalFailure());
    postCommand(mainWindow_, kExitCommand);
    DWORD exitCode = 1;
    ASSERT_TRUE(program_.waitForExit(15000, &exitCode)) << "the program did not end";
    EXPECT_EQ(exitCode, 0u);

    EXPECT_GE(expectFilesOpenWithEveryCountedRecord(), 2000u);
}

TEST_F(Durability, AKilledProgramLeavesEveryRecordWrittenBeforeTheEnd) {
    // 20,000 records a second: 1 MiB files fill in under two seconds, so a few are finished
    // and one is open when the program dies.
    monitorUntil("20000", 20000);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(waitFor([&] { return bufferFileNames().size() >= 3; }, 20000));
    // What the open file counts just before the end is in it afterwards.
    const std::string open = bufferFolder() + "\\" + bufferFileNames().back();
    const uint32_t countedBefore = countedRecordBytes(open);
    ASSERT_TRUE(TerminateProcess(program_.process(), 99));
    DWORD exitCode = 0;
    ASSERT_TRUE(program_.waitForExit(15000, &exitCode));
    EXPECT_EQ(exitCode, 99u);

    EXPECT_GE(countedRecordBytes(open), countedBefore);
    EXPECT_GE(expectFilesOpenWithEveryCountedRecord(), (2u << 20) / 32 + countedBefore / 32);
}

}  // namespace
}  // namespace zvui
