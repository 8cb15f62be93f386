// What the measurement and upload scenarios share: the built-in analyzer configured through
// zvlkrmt.ini beside the library, the command states read from toolbar and menu together,
// and the steps of a monitor measurement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "program_fixture_win.h"

namespace zvui {

// The commands whose state follows the session, as the toolbar and the menu show them.
constexpr int kSessionCommands[] = {2104, 2105, 1003, 2019, 1007, 2114, 2102};

class MeasurementFixture : public ProgramFixture {
protected:
    void SetUp() override;

    // zvlkrmt.ini with the default analyzer (AN-2400 + EX-NB3BP, serial 30808001) and SETTINGS
    // ("key = value" lines of the emulator), and LIBRARY lines for the library's time limits.
    // Call before startMain.
    void configureAnalyzer(const std::string& settings, const std::string& library = {});
    // profile.ini for the built-in analyzer with EXTRA sections appended.
    void writeProfileWith(const std::string& extra);

    // The session commands usable in toolbar and menu alike: a command whose button and menu
    // item disagree fails the test.
    std::set<int> usableSessionCommands();
    // The same without failing: false (with the commands named) when button and item disagree.
    bool readUsable(std::set<int>& usable, std::string& disagreement);
    bool waitForUsable(const std::set<int>& usable, DWORD timeoutMs = 10000);

    // Connects and waits until monitoring is offered.
    void connectAndWaitForIdle();
    // Starts monitoring and waits until the measurement runs.
    void startMonitoring();
    // Waits for the end of a measurement (monitoring offered again).
    bool waitForMeasurementEnd(DWORD timeoutMs = 20000);

    // Answers every message box of the program with OK and returns them, until none is left
    // for a moment or TIMEOUT passes.
    std::vector<MessageBoxInfo> collectMessageBoxes(size_t expected, DWORD timeoutMs);

    // The numbered buffer files in the buffer folder ("*.DT"), sorted.
    std::vector<std::string> bufferFileNames() const;

    // One buffer file as the program and the converter read it (CAN/LIN analyzers).
    struct BufferFileCheck {
        std::string name;
        uint32_t records = 0;  // what its header counts
        std::string problem;   // empty when it is a complete data file with every counted record
        int analogInputs = -1; // as the program's reader loads it
        std::string info;      // what `zvdconv --info` prints
    };
    // Each numbered file: the signature, a record count of whole records that the file holds
    // exactly, loaded as the program loads it, and `zvdconv --info` reporting the same count.
    std::vector<BufferFileCheck> checkBufferFiles();
};

constexpr size_t kDualHeaderSize = 844;  // the header of a CAN/LIN board's data file
constexpr size_t kRecordBytesOffset = 840;

// The whole file as bytes, also while the program still writes it; empty when it cannot be read.
std::string readBinaryFile(const std::string& path);
// The little-endian 32-bit number at OFFSET of BYTES (which must hold it).
uint32_t littleEndian32(const std::string& bytes, size_t offset);

// A string of the language library with a number formatted into it.
std::string englishFormatted(unsigned id, unsigned long number);
// ... with a text formatted into it.
std::string englishFormattedText(unsigned id, const std::string& text);

}  // namespace zvui
