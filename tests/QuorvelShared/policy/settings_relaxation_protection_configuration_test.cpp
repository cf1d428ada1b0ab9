#include "QuorvelShared/policy/settings_relaxation_protection_configuration.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

using Configuration = SettingsRelaxationProtectionConfiguration;

TEST(SettingsRelaxationProtectionConfiguration, MakeClampsTheCodeLength) {
    const std::pair<std::int64_t, std::int64_t> rows[] = {
        {5, 16}, {16, 16}, {30, 30}, {50, 50}, {99, 50}, {INT64_MIN, 16}, {INT64_MAX, 50}};
    for (const auto& [given, kept] : rows) {
        EXPECT_EQ(Configuration::make(true, given).codeLength, kept) << given;
    }
    EXPECT_FALSE(Configuration::make(false, 20).isEnabled);
}

TEST(SettingsRelaxationProtectionConfiguration, JsonTakesTheStoredLength) {
    const Configuration stored = settingsRelaxationProtectionConfigurationFromJson(
        json::parse(R"({"isEnabled":true,"codeLength":5})"), "");
    EXPECT_EQ(stored, (Configuration{true, 5}));
    EXPECT_EQ(json::write(toJson(stored), json::Style::compact),
              R"({"isEnabled":true,"codeLength":5})");
    for (const char* text :
         {R"({"isEnabled":true})", R"({"codeLength":20})", R"({"isEnabled":1,"codeLength":20})",
          R"({"isEnabled":true,"codeLength":"20"})"}) {
        EXPECT_THROW(settingsRelaxationProtectionConfigurationFromJson(json::parse(text), ""),
                     json::DecodeError)
            << text;
    }
}

}  // namespace
}  // namespace quorvel
