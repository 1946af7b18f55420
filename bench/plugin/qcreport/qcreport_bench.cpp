// Each conversion beside the bare libxml2 parse of the same packet, measured in the same run.
// Counters, each from the fastest iteration: "ratio" (conversion time over the time to parse
// into a tree), "ratio_sax" (over a parse with no handlers), "ns_per_record" (linearity across
// sizes), "peak_x" (peak bytes the conversion allocates, over the packet's size) and "work_x"
// (that peak less the report it returns).
#include "QcBenchAllocations.h"
#include "QcBenchPackets.h"
#include "qcreport/QcConversions.h"

#include <zeph/dataset/DataPacket.h>

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>

namespace {

using qcbench::gLive;
using qcbench::gPeak;
using qcbench::Kind;

const std::string& Packet(Kind kind, int records) {
    static std::map<std::pair<int, int>, std::string> cache;
    auto& slot = cache[{static_cast<int>(kind), records}];
    if (slot.empty()) {
        slot = qcbench::InputPacket(kind, records);
    }
    return slot;
}

morvane::qcreport::TConversionResult Run(Kind kind, zeph::TZephClient& client,
                                         const std::string& packet) {
    using namespace morvane::qcreport;
    switch (kind) {
    case Kind::CheckResult:
        return ConvertCheckResult(client, packet, "O", "C", "");
    case Kind::SkillReport:
        return ConvertSkillReport(client, packet, "O", "C", "");
    case Kind::CheckReport:
        return ConvertCheckReport(client, packet, "O", 1, qcbench::kStaff, Edition::Full);
    case Kind::CheckPerson:
        return ConvertCheckPerson(client, packet, "O", "10001", Edition::Full);
    case Kind::IpTable:
        return ConvertIpTable(packet, 10);
    }
    return {};
}

// libxml2 alone: the packet parsed into a document tree, as GBK, fed as the reader feeds it.
void ParseToTree(const std::string& packet) {
    xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(nullptr, nullptr, nullptr, 0, nullptr);
    xmlCtxtUseOptions(ctxt, XML_PARSE_NONET | XML_PARSE_IGNORE_ENC);
    xmlSwitchToEncoding(ctxt, xmlFindCharEncodingHandler("CP936"));
    constexpr std::size_t kChunk = 256 * 1024;
    for (std::size_t offset = 0; offset < packet.size(); offset += kChunk) {
        std::size_t n = std::min(kChunk, packet.size() - offset);
        xmlParseChunk(ctxt, packet.data() + offset, static_cast<int>(n),
                      offset + n == packet.size() ? 1 : 0);
    }
    if (ctxt->wellFormed == 0 || ctxt->myDoc == nullptr) {
        std::abort();
    }
    xmlFreeDoc(ctxt->myDoc);
    xmlFreeParserCtxt(ctxt);
}

// libxml2 alone with nothing listening: the push parser over the same chunks the reader feeds.
void ParseWithoutHandlers(const std::string& packet) {
    xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(nullptr, nullptr, nullptr, 0, nullptr);
    std::memset(ctxt->sax, 0, sizeof *ctxt->sax);
    ctxt->sax->initialized = XML_SAX2_MAGIC;
    xmlCtxtUseOptions(ctxt, XML_PARSE_NONET | XML_PARSE_IGNORE_ENC);
    xmlSwitchToEncoding(ctxt, xmlFindCharEncodingHandler("CP936"));
    constexpr std::size_t kChunk = 256 * 1024;
    for (std::size_t offset = 0; offset < packet.size(); offset += kChunk) {
        std::size_t n = std::min(kChunk, packet.size() - offset);
        xmlParseChunk(ctxt, packet.data() + offset, static_cast<int>(n),
                      offset + n == packet.size() ? 1 : 0);
    }
    if (ctxt->wellFormed == 0) {
        std::abort();
    }
    xmlFreeParserCtxt(ctxt);
}

double Seconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

void BM_Conversion(benchmark::State& state) {
    auto kind = static_cast<Kind>(state.range(0));
    int records = static_cast<int>(state.range(1));
    const std::string& packet = Packet(kind, records);
    auto services = std::make_shared<qcbench::BenchServices>();
    auto previous = zeph::InstallHostServices(services);
    zeph::TZephClient client(nullptr);
    // The fastest of the iterations: on a shared machine the minimum is what the code costs.
    double parseBest = 1e300;
    double saxBest = 1e300;
    double convertBest = 1e300;
    long long peak = 0;
    std::size_t out = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        ParseToTree(packet);
        parseBest = std::min(parseBest, Seconds(start));
        start = std::chrono::steady_clock::now();
        ParseWithoutHandlers(packet);
        saxBest = std::min(saxBest, Seconds(start));

        long long before = gLive.load();
        gPeak.store(before);
        start = std::chrono::steady_clock::now();
        auto result = Run(kind, client, packet);
        double convert = Seconds(start);
        peak = std::max(peak, gPeak.load() - before);
        convertBest = std::min(convertBest, convert);
        state.SetIterationTime(convert);
        if (result.packet.empty()) {
            state.SkipWithError(result.error.c_str());
            break;
        }
        out = result.packet.size();
        benchmark::DoNotOptimize(result);
    }
    zeph::InstallHostServices(previous);
    state.counters["packet_MB"] = static_cast<double>(packet.size()) / 1e6;
    state.counters["report_MB"] = static_cast<double>(out) / 1e6;
    state.counters["parse_ms"] = parseBest * 1e3;
    state.counters["sax_ms"] = saxBest * 1e3;
    state.counters["convert_ms"] = convertBest * 1e3;
    state.counters["ratio"] = convertBest / parseBest;
    state.counters["ratio_sax"] = convertBest / saxBest;
    state.counters["ns_per_record"] = convertBest / records * 1e9;
    state.counters["peak_x"] = static_cast<double>(peak) / static_cast<double>(packet.size());
    // The same without the report itself: a report larger than its packet (staff times items
    // cells from a small packet) needs that memory whatever the conversion does.
    state.counters["work_x"] = static_cast<double>(peak - static_cast<long long>(out)) /
                               static_cast<double>(packet.size());
}

// The packet reader alone (parse, values back to host text, the record table), beside the
// handler-less parse: what the conversions pay before their own work.
void BM_ReadPacket(benchmark::State& state) {
    const std::string& packet =
        Packet(static_cast<Kind>(state.range(0)), static_cast<int>(state.range(1)));
    double readBest = 1e300;
    double saxBest = 1e300;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        ParseWithoutHandlers(packet);
        saxBest = std::min(saxBest, Seconds(start));
        start = std::chrono::steady_clock::now();
        auto table = zeph::dataset::ReadDataPacket(packet);
        double read = Seconds(start);
        readBest = std::min(readBest, read);
        state.SetIterationTime(read);
        benchmark::DoNotOptimize(table);
    }
    state.counters["read_ms"] = readBest * 1e3;
    state.counters["sax_ms"] = saxBest * 1e3;
    state.counters["ratio_sax"] = readBest / saxBest;
}
BENCHMARK(BM_ReadPacket)
    ->ArgNames({"kind", "records"})
    ->Apply([](benchmark::internal::Benchmark* b) {
        for (int records : {20000, 200000}) {
            for (int kind = 0; kind <= static_cast<int>(Kind::IpTable); ++kind) {
                b->Args({kind, records});
            }
        }
    })
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void Kinds(benchmark::internal::Benchmark* b, int records) {
    for (int kind = 0; kind <= static_cast<int>(Kind::IpTable); ++kind) {
        b->Args({kind, records});
    }
}
BENCHMARK(BM_Conversion)
    ->ArgNames({"kind", "records"})
    ->Apply([](benchmark::internal::Benchmark* b) { Kinds(b, 1000); })
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Conversion)
    ->ArgNames({"kind", "records"})
    ->Apply([](benchmark::internal::Benchmark* b) { Kinds(b, 20000); })
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Conversion)
    ->ArgNames({"kind", "records"})
    ->Apply([](benchmark::internal::Benchmark* b) { Kinds(b, 200000); })
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // kind: 0 CHECK_RESULT, 1 SKILL_REPORT, 2 CHECK_REPORT, 3 CHECK_PERSON, 4 CRTABFORUPDATEIP
    qcbench::CountLibxml2Allocations();
    xmlInitParser();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    xmlCleanupParser();
    return 0;
}
