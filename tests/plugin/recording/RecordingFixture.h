// The plug-in's main window as the host drives it for the recording words: ShowMorvane, then
// requests by handle; host services that answer the recording procedures from the test's
// tables; a scripted person at the screen. The main window is closed after each test, so each
// test starts with an empty staff table.
#pragma once

#include "core/untZeph.h"
#include "support/FakeHostServices.h"
#include "support/ScopedBackend.h"
#include "support/TempDir.h"

#include <zeph/client/Delivery.h>
#include <zeph/client/Variant.h>
#include <zeph/dataset/DataPacket.h>
#include <zeph/forms/Application.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

extern "C" std::uint32_t ShowMorvane(std::uint32_t applicationHandle);

namespace recording_test {

// Counts the public data the plug-in asks for.
class RecordingServices : public zeph::testing::FakeHostServices {
public:
    std::vector<std::string> publicDataRequests;
    zeph::Variant GetPublicData(const std::string& name) override {
        publicDataRequests.push_back(name);
        return FakeHostServices::GetPublicData(name);
    }
};

// A packet of host texts: field names, then rows of values.
inline std::string Packet(const std::vector<std::string>& fields,
                          const std::vector<std::vector<std::string>>& rows) {
    zeph::dataset::TRecordTable table;
    for (const std::string& field : fields) {
        zeph::dataset::TFieldDef def;
        def.name = field;
        table.AddField(def);
    }
    for (const auto& row : rows) {
        std::vector<std::string_view> values(row.begin(), row.end());
        table.AppendRow(values);
    }
    return zeph::dataset::WriteDataPacket(table);
}

// A server answer in the procedure's result layout: [0] success, [1] message, [2] return
// code, [3] output value, [4] packet.
inline zeph::Variant DatasetAnswer(const std::string& packet, const std::string& code = "0") {
    zeph::Variant result = zeph::Variant::Array(0, 4);
    result[0] = "True";
    result[1] = std::string();
    result[2] = code;
    result[3] = std::string();
    result[4] = packet;
    return result;
}

class RecordingFixture : public ::testing::Test {
protected:
    using Procedure = std::function<bool(const std::string& parameters, zeph::Variant& result)>;

    void SetUp() override {
        services->onStoreProcedure = [this](const std::string& procedure,
                                            const std::string& parameters, zeph::Variant& result) {
            auto it = procedures.find(procedure);
            return it != procedures.end() && it->second(parameters, result);
        };
        handle = ShowMorvane(7);
        ASSERT_NE(handle, 0u);
        main = dynamic_cast<morvane::TInterFacefrmMain*>(zeph::forms::Form::FromHandle(handle));
        ASSERT_NE(main, nullptr);
    }
    void TearDown() override {
        for (const std::string& failure : ui->Failures()) {
            ADD_FAILURE() << failure;
        }
        EXPECT_EQ(ui->UnusedAnswers(), 0u);
        zeph::CloseWindow(handle);
    }

    zeph::Variant Call(std::vector<zeph::Variant> input) {
        return zeph::DeliverRequest(handle, zeph::Variant::ArrayOf(std::move(input)));
    }

    // The procedures a test names, by procedure.
    std::map<std::string, Procedure> procedures;
    // The procedure calls made, "PROCEDURE(parameters)".
    std::vector<std::string> ProcedureCalls() {
        std::vector<std::string> made;
        for (const auto& call : services->calls) {
            if (call.operation == "StoreProcedure") {
                made.push_back(call.first + "(" + call.second + ")");
            }
        }
        return made;
    }

    zeph::testing::ServicesScope<RecordingServices> services;
    zeph::testing::ScopedBackend ui;
    std::uint32_t handle = 0;
    morvane::TInterFacefrmMain* main = nullptr;
};

} // namespace recording_test
