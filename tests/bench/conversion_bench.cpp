// Text and CSV conversion of 1 M-record data files (MONC, MDCL, MDCL with analog inputs) into
// memory and into a file, next to two references: writing the same bytes to a file without
// formatting them, and formatting the rows with snprintf. Also loading and counting a 12 MiB
// data file. Records/s are the items, MB/s the output bytes (the input bytes for loading).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "../common/printf_rows.h"
#include "../unit/capture/capture_test_files.h"
#include "capture/capture.h"
#include "conversion/print_out.h"

namespace {

using namespace zv;
using testfiles::Bytes;

constexpr uint32_t kRecords = 1000000;

enum FileKind : int { kMonc = 0, kMdcl = 1, kMdclAnalog = 2 };

enum Traffic : int { kPeriodic = 0, kRandom = 1 };

// Time advances by 0.2 ms steps within the hour.
uint32_t advance(uint32_t stamp, uint32_t steps) {
    uint32_t fraction = (stamp & 0xFF) + steps, hundredths = (stamp >> 8) & 0xFF, seconds = (stamp >> 16) & 0xFF,
             minutes = stamp >> 24;
    hundredths += fraction / 50, fraction %= 50;
    seconds += hundredths / 100, hundredths %= 100;
    minutes += seconds / 60, seconds %= 60;
    minutes %= 60;
    return (minutes << 24) | (seconds << 16) | (hundredths << 8) | fraction;
}

void canFrame(uint8_t* r, uint8_t channel, uint32_t id, bool extended, bool remote, uint8_t dlc) {
    r[0] = channel;
    r[10] = dlc;
    r[11] = static_cast<uint8_t>((extended ? 0x80 : 0) | (remote ? 0x40 : 0) | dlc);
    putU32(r, 12, extended ? id : id << 18);
}

void linFrame(uint8_t* r, uint8_t channel, uint8_t pid, int8_t byteCount, uint8_t frameInfo, uint16_t status) {
    r[0] = channel;
    r[10] = static_cast<uint8_t>(byteCount);
    r[11] = frameInfo;
    putU16(r, 2, status);
    putU32(r, 12, 0x55000000u | (0xA5u << 16) | (static_cast<uint32_t>(pid) << 8));
}

// Periodic: a bus schedule as analyzers record it, 24 CAN messages with fixed identifiers and
// lengths (channel 2 of MDCL files is a LIN bus with 8 frames), changing payloads, a lost-data
// marker now and then and rare LIN errors. Random: every field drawn anew for each record, so
// that no branch can be predicted (a worst case).
Bytes makeRecords(FileKind kind, Traffic traffic, uint32_t n) {
    std::mt19937 engine(1234u + static_cast<unsigned>(kind));
    const auto random = [&engine]() { return static_cast<uint32_t>(engine()); };
    Bytes records(static_cast<size_t>(n) * kCaptureRecordSize, 0);
    uint32_t stamp = 0;
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t* r = records.data() + static_cast<size_t>(i) * kCaptureRecordSize;
        const uint32_t pick = random();
        stamp = advance(stamp, 1 + (pick & 7));
        putU32(r, 4, stamp);
        for (size_t b = 16; b < 26; ++b) r[b] = static_cast<uint8_t>(random());
        if (kind == kMdclAnalog)
            for (size_t a : {size_t{8}, size_t{26}, size_t{28}, size_t{30}})
                putU16(r, a, static_cast<uint16_t>(static_cast<int16_t>((random() % 3000) - 1000)));
        if (traffic == kPeriodic) {
            r[1] = static_cast<uint8_t>((i / 5000) % 2 ? 0x10 : 0x00);  // EXT changes slowly
            if (i % 20000 == 19999) {
                r[0] = 0x41;
                continue;
            }
            const uint32_t slot = i % 32;
            if (kind != kMonc && slot >= 24) {
                const uint8_t pid = static_cast<uint8_t>(0x80 | (slot * 5 % 64));
                const bool error = i % 997 == 0;
                linFrame(r, 4, pid, error ? -2 : static_cast<int8_t>(3 + slot % 6), 0, error ? 0x2001 : 0);
            } else {
                const uint32_t type = slot % 24;
                canFrame(r, static_cast<uint8_t>(1 + type % 2), 0x100 + type * 0x21 + (type > 20 ? 0x1ABC000 : 0),
                         type > 20, false, static_cast<uint8_t>(type % 3 == 0 ? 8 : 2 + type % 7));
            }
            continue;
        }
        r[1] = static_cast<uint8_t>(random() & 0x9E);
        if (pick % 1000 == 0) {
            r[0] = 0x41;
            continue;
        }
        const bool lin = kind != kMonc && (pick >> 8) % 3 == 0;
        if (!lin) {
            const bool extended = (pick >> 16) % 4 == 0;
            canFrame(r, static_cast<uint8_t>(1 + ((pick >> 10) & 1)), extended ? (random() & 0x1FFFFFFF) : (random() & 0x7FF),
                     extended, (pick >> 18) % 16 == 0, static_cast<uint8_t>((pick >> 12) % 9));
            if (kind == kMonc && (pick >> 22) % 32 == 0) r[2] = 0x80;
        } else {
            const uint32_t shape = (pick >> 12) % 10;
            const uint16_t status =
                (pick >> 20) % 5 == 0 ? static_cast<uint16_t>(((pick >> 24) & 0x1F) << 11 | 0x14) : uint16_t{0};
            linFrame(r, static_cast<uint8_t>(3 + ((pick >> 10) & 1)), static_cast<uint8_t>(random()),
                     static_cast<int8_t>(shape == 0 ? -1 : shape == 1 ? -2 : static_cast<int>(1 + (pick >> 16) % 9)),
                     shape == 2 ? 1 : 0, status);
        }
    }
    return records;
}

const Bytes& dataFile(FileKind kind, Traffic traffic) {
    static std::map<int, Bytes> files;
    Bytes& f = files[kind * 2 + traffic];
    if (f.empty()) {
        Bytes dinf = testfiles::dualDinf(kind == kMdclAnalog ? 1 : 0);
        dinf[testfiles::dinf::kLinChannel[1] + testfiles::dinf::kUseIdTable] = 1;
        if (kind != kMonc) dinf[testfiles::dinf::kChannelProtocol[1]] = 2;
        f = testfiles::dataFile(dinf, kind == kMonc ? "MONC" : "MDCL", makeRecords(kind, traffic, kRecords));
    }
    return f;
}

const char* kKindNames[] = {"MONC", "MDCL", "MDCL+AI"};

std::string label(FileKind kind, bool csv, Traffic traffic) {
    return std::string(kKindNames[kind]) + (csv ? " csv" : " text") + (traffic == kPeriodic ? " periodic" : " random");
}

ConversionOptions optionsFor(bool csv) {
    ConversionOptions o;
    o.csv = csv;
    return o;
}

std::string scratchPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

// The converted text of a file, kept for the plain-write reference.
const std::string& convertedText(FileKind kind, bool csv, Traffic traffic) {
    static std::map<int, std::string> texts;
    std::string& t = texts[kind * 4 + (csv ? 2 : 0) + traffic];
    if (t.empty()) {
        const Bytes& file = dataFile(kind, traffic);
        CCapture capture;
        capture.load(file.data(), file.size());
        CPrintOutCaptureDataCanFrame writer;
        writer.setSource(&capture);
        writer.setOptions(optionsFor(csv));
        writer.setBannerTime(BannerTime{});
        MemorySink sink;
        writer.setOutput(&sink);
        writer.convert(nullptr, kPageLimit);
        t = std::string(sink.text());
    }
    return t;
}

void setCounters(benchmark::State& state, size_t bytesPerRun) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRecords);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytesPerRun));
}

void ConvertToMemory(benchmark::State& state) {
    const FileKind kind = static_cast<FileKind>(state.range(0));
    const bool csv = state.range(1) != 0;
    const Traffic traffic = static_cast<Traffic>(state.range(2));
    const Bytes& file = dataFile(kind, traffic);
    CCapture capture;
    capture.load(file.data(), file.size());
    CPrintOutCaptureDataCanFrame writer;
    writer.setSource(&capture);
    writer.setOptions(optionsFor(csv));
    writer.setBannerTime(BannerTime{});
    MemorySink sink;
    sink.reserve(convertedText(kind, csv, traffic).size());
    writer.setOutput(&sink);
    for (auto _ : state) {
        sink.clear();
        writer.convert(nullptr, kPageLimit);
        benchmark::DoNotOptimize(sink.text().data());
    }
    if (std::string(sink.text()) != convertedText(kind, csv, traffic)) state.SkipWithError("output differs");
    setCounters(state, sink.text().size());
    state.SetLabel(label(kind, csv, traffic));
}

void ConvertToFile(benchmark::State& state) {
    const FileKind kind = static_cast<FileKind>(state.range(0));
    const bool csv = state.range(1) != 0;
    const Traffic traffic = static_cast<Traffic>(state.range(2));
    const Bytes& file = dataFile(kind, traffic);
    CCapture capture;
    capture.load(file.data(), file.size());
    CPrintOutCaptureDataCanFrame writer;
    writer.setSource(&capture);
    writer.setOptions(optionsFor(csv));
    writer.setBannerTime(BannerTime{});
    const std::string path = scratchPath("zv-bench-convert.out");
    for (auto _ : state) {
        if (convertToFile(writer, path, nullptr) != ConvertResult::Completed) state.SkipWithError("write failed");
    }
    setCounters(state, convertedText(kind, csv, traffic).size());
    state.SetLabel(label(kind, csv, traffic));
    std::remove(path.c_str());
}

// Writing the bytes the conversion produces in 256 KiB blocks from one thread, without formatting.
void PlainWriteReference(benchmark::State& state) {
    const FileKind kind = static_cast<FileKind>(state.range(0));
    const bool csv = state.range(1) != 0;
    const Traffic traffic = static_cast<Traffic>(state.range(2));
    const std::string& text = convertedText(kind, csv, traffic);
    const std::string path = scratchPath("zv-bench-plain.out");
    constexpr size_t kBlock = 256 * 1024;
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr) {
            state.SkipWithError("cannot create");
            break;
        }
        std::setvbuf(f, nullptr, _IONBF, 0);
        bool ok = true;
        for (size_t at = 0; at < text.size(); at += kBlock) {
            const size_t n = std::min(kBlock, text.size() - at);
            ok = ok && std::fwrite(text.data() + at, 1, n, f) == n;
        }
        if (std::fclose(f) != 0 || !ok) state.SkipWithError("write failed");
    }
    setCounters(state, text.size());
    state.SetLabel(label(kind, csv, traffic));
    std::remove(path.c_str());
}

// The same rows through snprintf, into memory.
void SnprintfReference(benchmark::State& state) {
    const FileKind kind = static_cast<FileKind>(state.range(0));
    const bool csv = state.range(1) != 0;
    const Traffic traffic = static_cast<Traffic>(state.range(2));
    const Bytes& file = dataFile(kind, traffic);
    CCapture capture;
    capture.load(file.data(), file.size());
    const RowContext context = RowContext::make(capture, optionsFor(csv));
    std::string out;
    out.reserve(convertedText(kind, csv, traffic).size());
    for (auto _ : state) {
        out.clear();
        uint32_t previous = 0;
        for (uint32_t i = 0; i < capture.count(); ++i) {
            const CaptureRecord r = capture.record(i);
            reference::appendRow(out, context, r, previous, i > 0);
            out += "\r\n";
            previous = r.timeStamp();
        }
        benchmark::DoNotOptimize(out.data());
    }
    // The rows must be the ones the conversion writes after its header.
    const std::string& converted = convertedText(kind, csv, traffic);
    if (converted.size() < out.size() || converted.compare(converted.size() - out.size(), out.size(), out) != 0)
        state.SkipWithError("reference rows differ from the conversion");
    setCounters(state, out.size());
    state.SetLabel(label(kind, csv, traffic));
}

// Reading a 12 MiB data file from disk (page cache), loading it and counting its records.
void LoadAndCount12MiB(benchmark::State& state) {
    const uint32_t records = 12u * 1024 * 1024 / kCaptureRecordSize - 40;
    const Bytes file = testfiles::dataFile(testfiles::dualDinf(1), "MDCL", makeRecords(kMdcl, kPeriodic, records));
    const std::string path = scratchPath("zv-bench-12mib.DT");
    testfiles::writeFile(path, file);
    for (auto _ : state) {
        LoadedDataFile loaded;
        if (!loaded.loadFile(path)) state.SkipWithError("not loaded");
        benchmark::DoNotOptimize(loaded.capture().count());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * records);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
    state.SetLabel(std::to_string(file.size()) + " bytes");
    std::remove(path.c_str());
}

void Cases(benchmark::internal::Benchmark* b) {
    for (int traffic = 0; traffic < 2; ++traffic)
        for (int kind = 0; kind < 3; ++kind)
            for (int csv = 0; csv < 2; ++csv) b->Args({kind, csv, traffic});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(ConvertToMemory)->Apply(Cases);
BENCHMARK(ConvertToFile)->Apply(Cases)->UseRealTime();
BENCHMARK(PlainWriteReference)->Apply(Cases)->UseRealTime();
BENCHMARK(SnprintfReference)->Apply(Cases);
BENCHMARK(LoadAndCount12MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
