// A main window with host services that answer the server lists of bulletins and notes, a
// scripted person at the screen and a real bulletin-and-note service on 127.0.0.1.
#pragma once

#include "SoapTestServer.h"
#include "core/untZeph.h"
#include "support/FakeHostServices.h"
#include "support/ScopedBackend.h"

#include <zeph/client/Variant.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace bulletin_test {

using Rows = std::vector<std::vector<std::string>>;

// A server list: its field names, its rows (host text) and the return code it answers with.
struct ServerList {
    std::vector<std::string> fields;
    Rows rows;
    int returnCode = 0;
    bool fails = false; // the call itself fails
    int highBound = 5;
};

class BulletinFixture : public ::testing::Test {
protected:
    BulletinFixture();
    ~BulletinFixture() override;

    // The flag word of each list ("GETIPPORT", "GETBULLETINTYPE", ...) to its answer.
    std::map<std::string, ServerList> lists;
    zeph::testing::ServicesScope<> services;
    zeph::testing::ScopedBackend ui;
    SoapTestServer server;
    std::unique_ptr<morvane::TInterFacefrmMain> main;

    // The parameter texts of the StoreProcedure calls, in order.
    std::vector<std::string> ProcedureCalls();
    // The calls the service received, without the description fetches.
    std::vector<SoapTestServer::Request> Calls() const;
    // name=value of the parameters of a call as they arrived, in order (UTF-8).
    static std::vector<std::string> Params(const SoapTestServer::Request& call);
    void ExpectNoFailures();
};

} // namespace bulletin_test
