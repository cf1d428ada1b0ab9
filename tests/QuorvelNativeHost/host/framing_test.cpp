// The frames as the browser exchanges them with the real program.
#include <gtest/gtest.h>

#include <thread>

#include "host_process.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::testkit {
namespace {

const std::string targetsSync = R"({"type":"targets.sync","profileId":"p1"})";

TEST(HostFraming, EmptyInputEndsAtOnceWithStatusZeroAndNoOutput) {
    TempXdgHome home;
    HostProcess host;
    host.closeInput();
    EXPECT_TRUE(host.outputEndsWithoutMore());
    EXPECT_EQ(host.waitForExit(), 0);
}

TEST(HostFraming, InputEndingInsideAFrameEndsWithUnexpectedEndOfInput) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"two bytes of the length", std::string("\x05\x00", 2)},
        {"three bytes of the length", std::string("\x05\x00\x00", 3)},
        {"half a body", HostProcess::frameOf(targetsSync).substr(0, 4 + 10)},
        {"a length and no body", HostProcess::frameOf("", 40)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempXdgHome home;
        HostProcess host;
        ASSERT_TRUE(host.writeRaw(c.bytes));
        host.closeInput();
        EXPECT_TRUE(host.outputEndsWithoutMore());
        EXPECT_EQ(host.waitForExit(), 1);
        EXPECT_NE(host.errorOutput().find("unexpectedEndOfInput"), std::string::npos);
    }
}

TEST(HostFraming, ALengthAboveTheLimitIsRefusedBeforeTheBodyIsRead) {
    TempXdgHome home;
    HostProcess host;
    // Only the length: the host must end without waiting for a body that never comes.
    ASSERT_TRUE(host.writeRaw(HostProcess::frameOf("", 1'048'577)));
    EXPECT_EQ(host.waitForExit(), 1);
    EXPECT_NE(host.errorOutput().find("messageTooLarge"), std::string::npos);
    EXPECT_TRUE(host.outputEndsWithoutMore());
}

TEST(HostFraming, ABodyOfExactlyTheLimitIsReadWhole) {
    TempXdgHome home;
    HostProcess host;
    std::string body = targetsSync;
    body.insert(1, std::string(1'048'576 - body.size(), ' '));
    ASSERT_EQ(body.size(), 1'048'576u);
    ASSERT_TRUE(host.send(body));
    const auto reply = host.readMessage();
    ASSERT_TRUE(reply);
    EXPECT_TRUE(std::holds_alternative<MacToExtensionMessage::TargetsState>(reply->value));
    host.closeInput();
    EXPECT_EQ(host.waitForExit(), 0);
}

TEST(HostFraming, AnEmptyBodyFailsDecodingAndEndsTheHost) {
    TempXdgHome home;
    HostProcess host;
    ASSERT_TRUE(host.send(""));
    EXPECT_EQ(host.waitForExit(), 1);
    EXPECT_FALSE(host.errorOutput().empty());
    EXPECT_TRUE(host.outputEndsWithoutMore());
}

TEST(HostFraming, AFrameArrivingInPiecesIsAssembled) {
    TempXdgHome home;
    HostProcess host;
    const std::string frame = HostProcess::frameOf(targetsSync);
    for (std::size_t i = 0; i < frame.size(); i += 3) {
        ASSERT_TRUE(host.writeRaw(frame.substr(i, 3)));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const auto reply = host.readFrame();
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, R"({"type":"targets.state","version":0,"managed":false,"targets":[]})");
    host.closeInput();
    EXPECT_EQ(host.waitForExit(), 0);
}

TEST(HostFraming, MalformedOrUnknownMessagesEndTheHostAfterEarlierAnswers) {
    struct Case {
        const char* name;
        std::string body;
        std::string inError;
    };
    const Case cases[] = {
        {"unknown type", R"({"type":"tabs.closed","profileId":"p1"})", "Unknown message type."},
        {"not JSON", "{", ""},
        {"missing field", R"({"type":"targets.sync"})", ""},
        {"not an object", R"([1,2])", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempXdgHome home;
        HostProcess host;
        ASSERT_TRUE(host.send(targetsSync));
        ASSERT_TRUE(host.readFrame());
        host.send(c.body);
        EXPECT_EQ(host.waitForExit(), 1);
        const std::string error = host.errorOutput();
        EXPECT_NE(error.find(c.inError), std::string::npos) << error;
        EXPECT_TRUE(host.outputEndsWithoutMore());
    }
}

TEST(HostFraming, AReplyThatCannotBeWrittenEndsTheHostWithTheError) {
    TempXdgHome home;
    HostProcess host;
    host.closeOutput();
    host.send(targetsSync);
    EXPECT_EQ(host.waitForExit(), 1);
    EXPECT_FALSE(host.errorOutput().empty());
}

}  // namespace
}  // namespace quorvel::testkit
