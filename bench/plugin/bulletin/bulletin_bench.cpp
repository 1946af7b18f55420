// One SENDNOTE against the loopback service (spyne) beside a bare libcurl POST of the same
// envelope to the same endpoint over a kept connection, alternating in the same run. Counters:
// "ratio" (SENDNOTE over the bare POST, the endpoint already known) and, for the first call of
// a main window (address query, description fetch, then the call), "first_ms".
#include "SoapTestServer.h"
#include "bulletin/BulletinWords.h"
#include "bulletin/ServiceInterfaces.h"
#include "bulletin/SoapEnvelope.h"
#include "core/untZeph.h"
#include "editions/Editions.h"
#include "support/FakeHostServices.h"

#include <zeph/dataset/DataPacket.h>
#include <zeph/text/HostText.h>

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const std::vector<std::string> kValues = {
    "交接班提醒", "10001", "pw", "1", "10002,10003", "", "今晚八点在三楼会议室交接班，请准时参加。",
    "AG"};

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

struct Rig {
    bulletin_test::SoapTestServer server;
    std::shared_ptr<zeph::testing::FakeHostServices> services =
        std::make_shared<zeph::testing::FakeHostServices>();
    std::shared_ptr<zeph::HostServices> previous;
    zeph::Variant input;

    Rig() {
        server.SetAnswer("发送成功");
        services->recordCalls = false;
        services->loadedModules = {"BN"};
        services->workerNo = "10001";
        services->encodePass = "pw";
        zeph::dataset::TRecordTable table;
        for (const char* name : {"Class", "IP", "Port"}) {
            zeph::dataset::TFieldDef field;
            field.name = name;
            table.AddField(field);
        }
        table.AppendRow({"BN", "127.0.0.1", std::to_string(server.Port())});
        const std::string packet = zeph::dataset::WriteDataPacket(table);
        services->onStoreProcedure = [packet](const std::string&, const std::string&,
                                              zeph::Variant& result) {
            result = zeph::Variant::ArrayOf({true, "", 0, "", packet, 1});
            return true;
        };
        previous = zeph::InstallHostServices(services);
        std::vector<zeph::Variant> args = {"SENDNOTE"};
        for (std::size_t i = 0; i < kValues.size(); ++i) {
            if (i != 1 && i != 2) { // staff number and password come from the host
                args.emplace_back(zeph::text::Utf8ToGbk(kValues[i]));
            }
        }
        input = zeph::Variant::ArrayOf(args);
    }
    ~Rig() { zeph::InstallHostServices(previous); }

    void SendNote(morvane::TInterFacefrmMain& main) {
        zeph::Variant output;
        morvane::bulletin::RunSendNote(main, input, output, morvane::Edition::Full);
        if (output[0].AsText() != "True") {
            throw std::runtime_error("the note was not sent");
        }
    }
};

void BM_SendNoteBesideRawPost(benchmark::State& state) {
    Rig rig;
    const std::string endpoint = "http://" + rig.server.Address() + "/axis/NoteSendWS.jws";
    const std::string envelope = morvane::bulletin::BuildRpcRequest(
        "sendNew", morvane::bulletin::kSendNewParameters, kValues);
    CURL* curl = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: text/xml; charset=utf-8");
    headers = curl_slist_append(headers, "SOAPAction: \"\"");
    headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(curl, CURLOPT_URL, endpoint.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, envelope.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(envelope.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Discard);

    // The first call of a main window: address table, description, call.
    double firstMs = 0;
    {
        const auto start = Clock::now();
        morvane::TInterFacefrmMain first(nullptr, morvane::BuiltEdition());
        rig.SendNote(first);
        firstMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    morvane::TInterFacefrmMain main(nullptr, morvane::BuiltEdition());
    rig.SendNote(main);
    curl_easy_perform(curl);

    double word = 0;
    double raw = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        rig.SendNote(main);
        const auto middle = Clock::now();
        if (curl_easy_perform(curl) != CURLE_OK) {
            state.SkipWithError("raw POST failed");
            break;
        }
        const auto end = Clock::now();
        word += std::chrono::duration<double>(middle - start).count();
        raw += std::chrono::duration<double>(end - middle).count();
        state.SetIterationTime(std::chrono::duration<double>(middle - start).count());
    }
    state.counters["ratio"] = raw > 0 ? word / raw : 0;
    state.counters["raw_us"] = state.iterations() ? raw * 1e6 / state.iterations() : 0;
    state.counters["first_ms"] = firstMs;
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
}
BENCHMARK(BM_SendNoteBesideRawPost)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(300);

} // namespace

BENCHMARK_MAIN();
