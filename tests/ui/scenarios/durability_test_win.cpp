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
        const std::vector<BufferFileCheck> checks = checkBufferFiles();
        EXPECT_FALSE(checks.empty());
        const std::string converter = builtFile("zvdconv");
        uint64_t total = 0;
        for (size_t i = 0; i < checks.size(); ++i) {
            const BufferFileCheck& check = checks[i];
            SCOPED_TRACE(check.name);
            char expectedName[16];
            std::snprintf(expectedName, sizeof expectedName, "%08u.DT", static_cast<unsigned>(i));
            EXPECT_EQ(check.name, expectedName);
            EXPECT_EQ(check.problem, "");
            EXPECT_GT(check.records, 0u);
            total += check.records;
            // The analyzer is an EX-NB3BP: its records carry the analog inputs.
            EXPECT_EQ(check.analogInputs, 1);
            EXPECT_NE(check.info.find("analog inputs:  1"), std::string::npos) << check.info;
            // The converter writes a row for each record.
            const std::string base = check.name.substr(0, check.name.size() - 3);
            const std::string log = sandbox_->root() + "\\" + base + ".log";
            EXPECT_EQ(runProgram("\"" + converter + "\" --csv " + check.name, bufferFolder(), log), 0)
                << readTextFile(log);
            const std::string csv = readTextFile(bufferFolder() + "\\" + base + ".csv");
            size_t lines = 0;
            for (char c : csv) lines += c == '\n' ? 1 : 0;
            EXPECT_EQ(lines, check.records + 1);  // the column header, then one row per record
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
