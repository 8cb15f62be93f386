// zvsim on a serial line: the line's options, and a PC served through a pseudo-terminal.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <regex>
#include <thread>

#include "../remote/recorder.h"
#include "zvlkrmt/transport/serial_port.h"
#include "zvsim_cli.h"

namespace zv::tools {
namespace {

struct Lines {
    std::mutex mutex;
    std::string text;
    ZvsimIo io;
    std::atomic<bool> stop{false};

    Lines() {
        io.out = io.err = [this](const std::string& s) {
            std::lock_guard lock(mutex);
            text += s + "\n";
        };
        io.stop = &stop;
    }
    std::string all() {
        std::lock_guard lock(mutex);
        return text;
    }
};

TEST(ZvsimSerial, BadLineOptionsAreUsageErrors) {
    for (const char* line : {"pty,fast", "pty,9600,mark", ",9600", "pty,0", "pty,9600,none,rts", "pty,9600,odd,xon,1"}) {
        Lines c;
        EXPECT_EQ(runZvsim({"--serial", line}, c.io), 2) << line;
        EXPECT_NE(c.all().find("bad serial line"), std::string::npos) << c.all();
    }
}

#ifndef _WIN32

TEST(ZvsimSerial, MissingDeviceIsReportedWithTheSystemError) {
    Lines c;
    EXPECT_EQ(runZvsim({"--serial", "/dev/zv-no-such-port,9600"}, c.io), 1);
    EXPECT_NE(c.all().find("0x80070002"), std::string::npos) << c.all();
}

TEST(ZvsimSerial, ServesAPcThroughAPseudoTerminal) {
    Lines c;
    int rc = -1;
    std::thread sim([&] {
        rc = runZvsim({"--board", "73762", "--serial-number", "30808099", "--serial", "pty,115200,none,xon"}, c.io);
    });
    std::smatch m;
    std::string text;
    const std::regex named("port name for the PC: (\\S+)");
    for (int i = 0; i < 200 && !std::regex_search(text, m, named); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        text = c.all();
    }
    ASSERT_EQ(m.size(), 2u) << text;
    EXPECT_NE(text.find("serial 30808099 on serial line"), std::string::npos) << text;
    const std::string port = m[1].str();
    {
        remote::test::Recorder rec;
        remote::RemoteClient client(rec);
        client.setConnector([&](std::unique_ptr<remote::Transport>& out) {
            return remote::openSerialTransport({port, 115200, 0, true}, out);
        });
        ASSERT_EQ(client.submit(remote::test::request(remote::kKindConnect)), kOk);
        EXPECT_EQ(rec.waitDone(1).result, kOk);
        EXPECT_EQ(rec.locked([&] { return rec.deviceTypes; }), std::vector<uint32_t>{73762});
        std::vector<uint8_t> image(0x10000);
        auto r = remote::test::request(remote::kKindReceive, 0x2000, 1, static_cast<uint32_t>(image.size()));
        r->memory = image.data();
        ASSERT_EQ(client.submit(r), kOk);
        const auto d = rec.waitDone(2);
        EXPECT_EQ(d.result, kOk);
        EXPECT_EQ(d.param4, 1824u);
        EXPECT_EQ(image[0], 'S');
    }
    c.stop = true;
    sim.join();
    EXPECT_EQ(rc, 0);
    EXPECT_NE(c.all().find("zvsim: stopped"), std::string::npos);
}

#endif

}  // namespace
}  // namespace zv::tools
