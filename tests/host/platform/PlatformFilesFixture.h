// A fresh folder for each test of the platform's files, with files written and read by host-text
// paths.
#pragma once

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <zeph/platform/Files.h>
#include <zeph/platform/Paths.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

class PlatformFilesTest : public ::testing::Test {
protected:
    void SetUp() override { dir = temp.Path(); }
    std::string Write(const std::string& hostName, const std::string& bytes) {
        std::string path = dir + "/" + hostName;
        std::ofstream(zeph::testing::Utf8Path(zeph::platform::NativePath(path)), std::ios::binary)
            << bytes;
        return path;
    }
    static std::string Read(const std::string& hostPath) {
        std::ifstream in(zeph::testing::Utf8Path(zeph::platform::NativePath(hostPath)),
                         std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    zeph::testing::TempDir temp;
    std::string dir;
    // Tests that change the temporary directory get theirs back.
    zeph::testing::ScopedEnv tmpdir{"TMPDIR", Saved("TMPDIR")};

private:
    static std::optional<std::string> Saved(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
};
