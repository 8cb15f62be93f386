// Analyzers outside the program for the scenarios: zvsim serving a LAN adapter on localhost,
// and the command-line tools run against it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zvui {

class LanAnalyzer {
public:
    LanAnalyzer() = default;
    ~LanAnalyzer();
    LanAnalyzer(const LanAnalyzer&) = delete;
    LanAnalyzer& operator=(const LanAnalyzer&) = delete;

    // Starts zvsim (EXE) as MODEL with option board EXBOARD on 127.0.0.1 and reads the ports
    // it took from its first line.
    bool start(const std::string& exe, const std::string& model = "AN-2400", const std::string& exBoard = "EX-NB3BP");
    // The same with further options, on the ports given (0: any free one), e.g. those of the
    // zvsim before it, so that the program's profile still reaches it.
    bool start(const std::string& exe, const std::vector<std::string>& options, unsigned data, unsigned control);
    // Ends zvsim at once, as a power cut would (a started one runs until then).
    void kill();
    // What zvsim printed since the last call. Reading it also keeps the pipe from filling up,
    // which would stop zvsim at its next line.
    std::string takeOutput();
    // "--lan 127.0.0.1:DATA:CONTROL", as zvremote takes it.
    std::string connection() const;
    // The [connection] section of a profile.ini that reaches it.
    std::string profileSection() const;

    unsigned dataPort = 0;
    unsigned controlPort = 0;

private:
    bool readPorts();

    HANDLE process_ = nullptr;
    HANDLE output_ = nullptr;
    std::string printed_;
};

// Runs EXE with ARGUMENTS (quoted where needed), waits up to TIMEOUT_MS and returns its exit
// code (-1 when it did not start or end); OUTPUT gets standard output and error.
int runTool(const std::string& exe, const std::vector<std::string>& arguments, std::string& output,
            DWORD timeoutMs = 60000);

}  // namespace zvui
