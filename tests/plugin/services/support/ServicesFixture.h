// The plug-in's main window as a host sees it: ShowMorvane, then requests by handle, with the
// test's backend answering dialogs and the test's host services behind ZephClient.
#pragma once

#include "TestHostServices.h"
#include "support/TempDir.h"

#include <zeph/client/Delivery.h>
#include <zeph/client/Variant.h>
#include <zeph/formdrive/ScriptedBackend.h>
#include <zeph/forms/Application.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

extern "C" std::uint32_t ShowMorvane(std::uint32_t applicationHandle);

namespace services_test {

class ServicesFixture : public ::testing::Test {
protected:
    void SetUp() override {
        NewBackend();
        services = std::make_shared<TestHostServices>();
        previousServices = zeph::InstallHostServices(services);
        handle = ShowMorvane(7);
        ASSERT_NE(handle, 0u);
        dir = temp.Path();
    }
    void TearDown() override {
        CheckBackend();
        zeph::InstallHostServices(previousServices);
        zeph::forms::Application()->SetBackend(nullptr);
    }

    // A fresh person at the screen, once the last one has been checked.
    void NewBackend() {
        if (backend) {
            CheckBackend();
        }
        backend = std::make_shared<zeph::forms::ScriptedBackend>();
        zeph::forms::Application()->SetBackend(backend);
    }
    // Every dialog had its answer and every answer was used.
    void CheckBackend() {
        for (const std::string& failure : backend->Failures()) {
            ADD_FAILURE() << failure;
        }
        EXPECT_EQ(backend->UnusedAnswers(), 0u);
    }

    // Delivers Input = [word, args...] and returns Output.
    zeph::Variant Call(std::vector<zeph::Variant> input) {
        return zeph::DeliverRequest(handle, zeph::Variant::ArrayOf(std::move(input)));
    }

    // A file under the test's directory with these bytes; returns its path (host text).
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        std::string path = dir + "/" + name;
        std::ofstream(zeph::testing::Utf8Path(zeph::text::GbkToUtf8(path)), std::ios::binary)
            << bytes;
        return path;
    }
    static std::string ReadFile(const std::string& hostPath) {
        std::ifstream in(zeph::testing::Utf8Path(zeph::text::GbkToUtf8(hostPath)),
                         std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static bool Exists(const std::string& hostPath) {
        return std::filesystem::exists(zeph::testing::Utf8Path(zeph::text::GbkToUtf8(hostPath)));
    }

    std::shared_ptr<zeph::forms::ScriptedBackend> backend;
    std::shared_ptr<TestHostServices> services;
    std::shared_ptr<zeph::HostServices> previousServices;
    std::uint32_t handle = 0;
    zeph::testing::TempDir temp;
    std::string dir;
};

} // namespace services_test
