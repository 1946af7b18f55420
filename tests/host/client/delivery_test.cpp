// Requests reach the client component of the window with the handle; released windows are freed.
#include <zeph/client/Delivery.h>
#include <zeph/client/TZephClient.h>
#include <zeph/forms/Application.h>
#include <zeph/forms/Form.h>

#include <gtest/gtest.h>

namespace {

using zeph::Variant;

class EchoWindow : public zeph::forms::Form {
public:
    explicit EchoWindow(bool* freed) : Form(nullptr, "EchoWindow"), freed_(freed) {
        client.OnCalled = [this](zeph::forms::Component*, int, const Variant& input,
                                 Variant& output) {
            if (input.AsText() == "close") {
                Close();
                return;
            }
            if (input.AsText() == "fail") {
                output = Variant::Array(0, 0);
                throw std::runtime_error("word failed");
            }
            output = Variant::ArrayOf({input});
        };
        OnClose = [](zeph::forms::Form&, zeph::forms::CloseAction& action) {
            action = zeph::forms::CloseAction::Free;
        };
    }
    ~EchoWindow() override { *freed_ = true; }
    zeph::TZephClient client{this};

private:
    bool* freed_;
};

TEST(DeliveryTest, DeliversToTheWindowsClient) {
    bool freed = false;
    auto* window = new EchoWindow(&freed);
    auto handle = window->Handle();
    EXPECT_NE(handle, 0u);
    Variant output = zeph::DeliverRequest(handle, Variant("hello"));
    ASSERT_TRUE(output.IsArray());
    EXPECT_EQ(output[0].AsText(), "hello");

    // An error leaves the handler and reaches the host with Output as it stood.
    Variant partial;
    EXPECT_THROW(zeph::DeliverRequest(handle, Variant("fail"), partial), std::runtime_error);
    EXPECT_TRUE(partial.IsArray());

    // Closing with the free action releases the window once the request has returned.
    zeph::DeliverRequest(handle, Variant("close"));
    EXPECT_TRUE(freed);
    EXPECT_EQ(zeph::forms::Form::FromHandle(handle), nullptr);
    EXPECT_THROW(zeph::DeliverRequest(handle, Variant("x")), zeph::EDeliveryError);
}

TEST(DeliveryTest, UnknownHandleAndWindowWithoutClientAreErrors) {
    EXPECT_THROW(zeph::DeliverRequest(12345, Variant("x")), zeph::EDeliveryError);
    zeph::forms::Form plain(nullptr, "plain");
    EXPECT_THROW(zeph::DeliverRequest(plain.Handle(), Variant("x")), zeph::EDeliveryError);
    EXPECT_FALSE(zeph::CloseWindow(12345));
}

TEST(DeliveryTest, ClientWithoutHostServicesRaises) {
    auto previous = zeph::InstallHostServices(nullptr);
    zeph::TZephClient client(nullptr);
    EXPECT_THROW(client.GetWorkerNO(), zeph::EZephClientError);
    zeph::InstallHostServices(previous);
}

} // namespace
