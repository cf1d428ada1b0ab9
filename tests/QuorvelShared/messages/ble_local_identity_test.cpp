#include "QuorvelShared/messages/ble_local_identity.hpp"

#include <gtest/gtest.h>

#include <cctype>

namespace quorvel {
namespace {

using BLELocalAdvertisementIdentity::serviceUUID;

TEST(BLELocalAdvertisementIdentity, KnownVectors) {
    EXPECT_EQ(serviceUUID("mac-1"), "1F0EFC62-C807-60E5-3A5F-7CD9A1C7AFF1");
    // Surrounding white space (Unicode too) is trimmed; inner white space stays and counts.
    EXPECT_EQ(serviceUUID(" \tmac-1\n\u3000"), "1F0EFC62-C807-60E5-3A5F-7CD9A1C7AFF1");
    EXPECT_NE(serviceUUID("mac -1"), serviceUUID("mac-1"));
}

TEST(BLELocalAdvertisementIdentity, BlankIdsFallBackToTheFixedService) {
    for (const std::optional<std::string>& id :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("   "), std::optional<std::string>("\n\r\n")}) {
        EXPECT_EQ(serviceUUID(id), "7BE11000-7B85-4C21-9A2B-5D52E7A091F1");
    }
    EXPECT_EQ(BLELocalPrototypeUUIDs::service, "7BE11000-7B85-4C21-9A2B-5D52E7A091F1");
    EXPECT_EQ(BLELocalPrototypeUUIDs::macToIOS, "7BE11001-7B85-4C21-9A2B-5D52E7A091F1");
    EXPECT_EQ(BLELocalPrototypeUUIDs::iosToMac, "7BE11002-7B85-4C21-9A2B-5D52E7A091F1");
}

TEST(BLELocalAdvertisementIdentity, AlwaysUpperCaseHexWithFourHyphens) {
    for (const char* id : {"a", "MAC-2", "書斎のMac", "\xff\xfe"}) {
        const std::string uuid = serviceUUID(id);
        ASSERT_EQ(uuid.size(), 36u) << id;
        for (std::size_t i = 0; i < uuid.size(); ++i) {
            if (i == 8 || i == 13 || i == 18 || i == 23) {
                EXPECT_EQ(uuid[i], '-');
            } else {
                EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(uuid[i])) ||
                            (uuid[i] >= 'A' && uuid[i] <= 'F'))
                    << uuid;
            }
        }
    }
}

TEST(BLELocalTransportPrototype, Constants) {
    EXPECT_TRUE(BLELocalTransportPrototype::enabled);
    EXPECT_EQ(BLELocalTransportPrototype::settingsLabel, "Bluetooth");
    EXPECT_EQ(BLELocalTransportPrototype::preparingLabel, "準備中");
}

}  // namespace
}  // namespace quorvel
