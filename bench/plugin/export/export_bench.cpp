// The export writers beside their peers, measured in the same run: the XLS writer against one
// fwrite of the same bytes, SAVE_DATASET_TO_FILE against loading the packet plus that fwrite,
// and the workbook against libxlsxwriter writing the same cells directly. Counters: "ratio"
// (fastest run of ours over fastest run of the peer) and, for the workbook, "peak_MB" (the most
// resident memory the export adds above the loaded records).
#include "core/untZeph.h"
#include "export/ExportColumns.h"
#include "export/FileWriters.h"
#include "export/SpreadsheetExport.h"
#include "export/untSelectCol.h"
#include "support/FakeHostServices.h"

#include <zeph/client/Delivery.h>
#include <zeph/dataset/DataPacket.h>
#include <zeph/dataset/TClientDataSet.h>
#include <zeph/formdrive/ScriptedBackend.h>
#include <zeph/formdrive/User.h>
#include <zeph/forms/Application.h>

#include <benchmark/benchmark.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

extern "C" std::uint32_t ShowMorvane(std::uint32_t applicationHandle);

namespace {

using Clock = std::chrono::steady_clock;
namespace exporting = morvane::exporting;

constexpr int kColumns = 10;

zeph::dataset::TRecordTable Table(int records) {
    zeph::dataset::TRecordTable table;
    for (int c = 0; c < kColumns; ++c) {
        table.AddField({"F" + std::to_string(c), "string", 20, {}});
    }
    std::vector<std::string> row(kColumns);
    std::vector<std::string_view> views(kColumns);
    for (int r = 0; r < records; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            row[static_cast<std::size_t>(c)] = "值"_host + std::to_string(r * kColumns + c);
            views[static_cast<std::size_t>(c)] = row[static_cast<std::size_t>(c)];
        }
        table.AppendRow(views);
    }
    return table;
}

exporting::TFileColumns AllColumns() {
    exporting::TFileColumns columns;
    for (int c = 0; c < kColumns; ++c) {
        columns.positions.push_back(c);
        columns.titles.push_back("标题"_host + std::to_string(c));
    }
    return columns;
}

std::string TempFile(const std::string& name) {
    return "/tmp/export_bench_" + std::to_string(::getpid()) + "_" + name;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

void FwriteOnce(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void BM_XlsWriterVsFwrite(benchmark::State& state) {
    const auto table = Table(static_cast<int>(state.range(0)));
    const auto columns = AllColumns();
    const std::string path = TempFile("a.xls");
    exporting::WriteXlsFile(path, table, columns);
    const std::string bytes = ReadAll(path);
    double best = 1e9;
    double bestPeer = 1e9;
    for (auto _ : state) {
        auto start = Clock::now();
        benchmark::DoNotOptimize(exporting::WriteXlsFile(path, table, columns));
        best = std::min(best, Seconds(start));
        state.PauseTiming();
        start = Clock::now();
        FwriteOnce(path, bytes);
        bestPeer = std::min(bestPeer, Seconds(start));
        state.ResumeTiming();
    }
    state.counters["ratio"] = best / bestPeer;
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
    std::remove(path.c_str());
}
BENCHMARK(BM_XlsWriterVsFwrite)->Arg(65535)->Unit(benchmark::kMillisecond);

void BM_SaveDatasetToFileVsLoadPlusFwrite(benchmark::State& state) {
    const std::string packet =
        zeph::dataset::WriteDataPacket(Table(static_cast<int>(state.range(0))));
    auto services = std::make_shared<zeph::testing::FakeHostServices>();
    services->recordCalls = false;
    auto previous = zeph::InstallHostServices(services);
    const std::uint32_t handle = ShowMorvane(7);
    const std::string path = TempFile("word.xls");
    const zeph::Variant input =
        zeph::Variant::ArrayOf({"SAVE_DATASET_TO_FILE", "", "", "", packet});
    auto runWord = [&] {
        std::remove(path.c_str());
        auto ui = std::make_shared<zeph::forms::ScriptedBackend>();
        ui->When<exporting::TfrmSelectCol>(
            [](exporting::TfrmSelectCol& f, zeph::forms::User& user) { user.Click(f.bbtnSave); });
        ui->AnswerFile(path);
        zeph::forms::Application()->SetBackend(ui);
        zeph::DeliverRequest(handle, input);
    };
    runWord();
    const std::string bytes = ReadAll(path);
    double best = 1e9;
    double bestPeer = 1e9;
    for (auto _ : state) {
        auto start = Clock::now();
        runWord();
        best = std::min(best, Seconds(start));
        state.PauseTiming();
        start = Clock::now();
        {
            zeph::dataset::TClientDataSet set(nullptr);
            set.LoadFromXml(packet);
            FwriteOnce(path, bytes);
        }
        bestPeer = std::min(bestPeer, Seconds(start));
        state.ResumeTiming();
    }
    state.counters["ratio"] = best / bestPeer;
    zeph::CloseWindow(handle);
    zeph::forms::Application()->SetBackend(nullptr);
    zeph::InstallHostServices(previous);
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveDatasetToFileVsLoadPlusFwrite)->Arg(65535)->Unit(benchmark::kMillisecond);

// libxlsxwriter alone: the same cells, constant-memory mode, no formats.
void DirectWorkbook(const std::string& path, const zeph::dataset::TRecordTable& table,
                    const exporting::TFileColumns& columns) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    for (std::size_t c = 0; c < columns.titles.size(); ++c) {
        worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c),
                               zeph::text::GbkToUtf8(columns.titles[c]).c_str(), nullptr);
    }
    for (std::size_t r = 0; r < table.RowCount(); ++r) {
        for (std::size_t c = 0; c < columns.positions.size(); ++c) {
            worksheet_write_string(sheet, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c),
                                   zeph::text::GbkToUtf8(table.Value(r, c)).c_str(), nullptr);
        }
    }
    workbook_close(book);
}

long ProcStatusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::stol(line.substr(std::string(key).size()));
        }
    }
    return 0;
}

void BM_WorkbookVsLibxlsxwriter(benchmark::State& state) {
    const auto table = Table(static_cast<int>(state.range(0)));
    const auto columns = AllColumns();
    zeph::dataset::TClientDataSet set(nullptr);
    set.LoadFromTable(table);
    exporting::TExportColumns names;
    for (int c = 0; c < kColumns; ++c) {
        names.fields.push_back("F" + std::to_string(c));
        names.titles.push_back(columns.titles[static_cast<std::size_t>(c)]);
    }
    zeph::forms::Form owner(nullptr, "owner");
    exporting::TSMExportToExcel component(&owner, "ZephExportToExcel");
    auto ui = std::make_shared<zeph::forms::ScriptedBackend>();
    zeph::forms::Application()->SetBackend(ui);
    const std::string path = TempFile("book.xlsx");
    const std::string peerPath = TempFile("direct.xlsx");

    // Peak resident memory the export adds: the high-water mark reset, then read after a run.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = ProcStatusKb("VmRSS:");
    component.Export(set, names, path);
    const long peak = ProcStatusKb("VmHWM:");
    state.counters["peak_MB"] = static_cast<double>(std::max(0L, peak - before)) / 1024.0;

    double best = 1e9;
    double bestPeer = 1e9;
    for (auto _ : state) {
        std::remove(path.c_str());
        auto start = Clock::now();
        benchmark::DoNotOptimize(component.Export(set, names, path));
        best = std::min(best, Seconds(start));
        state.PauseTiming();
        start = Clock::now();
        DirectWorkbook(peerPath, table, columns);
        bestPeer = std::min(bestPeer, Seconds(start));
        state.ResumeTiming();
    }
    state.counters["ratio"] = best / bestPeer;
    zeph::forms::Application()->SetBackend(nullptr);
    std::remove(path.c_str());
    std::remove(peerPath.c_str());
}
BENCHMARK(BM_WorkbookVsLibxlsxwriter)
    ->Arg(16384)
    ->Arg(65535)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
