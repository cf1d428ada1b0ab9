#include "QuorvelShared/bridge/ble_local_bridge_request.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_errors.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

BLELocalPrototypeWireMessage receiptFrom(const std::string& iosDeviceId) {
    BLELocalPrototypeWireMessage message;
    message.kind = BLELocalPrototypeMessageKind::unlockReceipt;
    message.requestId = "req_1";
    if (!iosDeviceId.empty()) {
        message.iosDeviceId = iosDeviceId;
    }
    return message;
}

const BLELocalPrototypeWireMessage receipt = receiptFrom("ios-1");

TEST(BLELocalBridgeRecords, ResponsesWriteOnlyThePresentOptionals) {
    EXPECT_EQ(
        json::write(toJson(BLELocalBridgeResponse{"req_1", false, {}, {}}), json::Style::compact),
        R"({"requestId":"req_1","completed":false})");
    EXPECT_EQ(json::write(toJson(BLELocalBridgeResponse{"req_1", true, receipt, "failed"}),
                          json::Style::compact),
              R"({"requestId":"req_1","completed":true,"message":{"version":1,)"
              R"("kind":"unlockReceipt","requestId":"req_1","iosDeviceId":"ios-1"},)"
              R"("error":"failed"})");
}

TEST(BLELocalBridgeRecords, RequestsRoundTripUnvalidated) {
    for (const BLELocalBridgeRequest& request :
         {BLELocalBridgeRequest{"req_1", receipt, 3600}, BLELocalBridgeRequest{"", receipt, -5}}) {
        EXPECT_EQ(bleLocalBridgeRequestFromJson(toJson(request), ""), request);
    }
}

TEST(BLELocalBridgeRecords, DecodingTakesNullAsAbsentAndIgnoresUnknownKeys) {
    const std::string message = R"({"version":1,"kind":"unlockReceipt","requestId":"req_1"})";
    EXPECT_EQ(
        bleLocalBridgeResponseFromJson(
            json::parse(R"({"requestId":"a","completed":true,"message":null,"error":null})"), ""),
        (BLELocalBridgeResponse{"a", true, {}, {}}));
    EXPECT_EQ(bleLocalBridgeRequestFromJson(
                  json::parse(R"({"requestId":"a","timeoutSeconds":5,"extra":1,"message":)" +
                              message + "}"),
                  ""),
              (BLELocalBridgeRequest{"a", receiptFrom(""), 5}));
}

TEST(BLELocalBridgeRecords, DecodingFailsOnAMissingOrMistypedKey) {
    const std::string message = R"({"version":1,"kind":"unlockReceipt"})";
    struct Case {
        std::string text;
        bool isRequest;
        const char* path;
    };
    const std::vector<Case> cases = {
        {R"({"requestId":"a","message":)" + message + "}", true, "timeoutSeconds"},
        {R"({"requestId":"a","timeoutSeconds":1.5,"message":)" + message + "}", true,
         "timeoutSeconds"},
        {R"({"requestId":"a","timeoutSeconds":1})", true, "message"},
        {R"({"requestId":"a","timeoutSeconds":1,"message":{"version":1,"kind":"Unpair"}})", true,
         "message.kind"},
        {R"({"timeoutSeconds":1,"message":)" + message + "}", true, "requestId"},
        {R"({"requestId":"a"})", false, "completed"},
        {R"({"requestId":"a","completed":"true"})", false, "completed"},
        {R"({"completed":true})", false, "requestId"},
        {R"({"requestId":"a","completed":true,"message":{"kind":"unpair"}})", false,
         "message.version"},
        {R"({"requestId":"a","completed":true,"error":false})", false, "error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Json value = json::parse(c.text);
        const auto error = testkit::captureError<json::DecodeError>([&] {
            if (c.isRequest) {
                bleLocalBridgeRequestFromJson(value, "");
            } else {
                bleLocalBridgeResponseFromJson(value, "");
            }
        });
        ASSERT_TRUE(error) << "decoded";
        EXPECT_EQ(error->path(), c.path);
    }
}

}  // namespace
}  // namespace quorvel
