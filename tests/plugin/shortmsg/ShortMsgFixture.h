// The plug-in's main window as the host sees it, with fake host services behind ZephClient and
// a scripted person at the screen.
#pragma once

#include "support/FakeHostServices.h"

#include <zeph/client/Delivery.h>
#include <zeph/client/Variant.h>
#include <zeph/formdrive/ScriptedBackend.h>
#include <zeph/forms/Application.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

extern "C" std::uint32_t ShowMorvane(std::uint32_t applicationHandle);

namespace shortmsg_test {

class ShortMsgFixture : public ::testing::Test {
protected:
    void SetUp() override {
        backend = std::make_shared<zeph::forms::ScriptedBackend>();
        zeph::forms::Application()->SetBackend(backend);
        handle = ShowMorvane(7);
        ASSERT_NE(handle, 0u);
    }
    void TearDown() override {
        for (const std::string& failure : backend->Failures()) {
            ADD_FAILURE() << failure;
        }
        EXPECT_EQ(backend->UnusedAnswers(), 0u);
        zeph::forms::Application()->SetBackend(nullptr);
    }

    zeph::Variant Call(std::vector<zeph::Variant> input) {
        return zeph::DeliverRequest(handle, zeph::Variant::ArrayOf(std::move(input)));
    }

    // The procedures called, in order, as "NAME(argument)".
    std::vector<std::string> Procedures() {
        std::vector<std::string> called;
        for (const auto& call : services->calls) {
            if (call.operation == "StoreProcedure") {
                called.push_back(call.first + "(" + call.second + ")");
            }
        }
        return called;
    }

    std::shared_ptr<zeph::forms::ScriptedBackend> backend;
    zeph::testing::ServicesScope<> services; // installed for the test's lifetime
    std::uint32_t handle = 0;
};

} // namespace shortmsg_test
