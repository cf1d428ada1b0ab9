#include "QuorvelShared/support/json_reader.hpp"

#include <gtest/gtest.h>

#include <optional>

#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

using json::DecodeError;
using json::DecodeErrorKind;

std::optional<DecodeErrorKind> kindOf(const std::function<void()>& read) {
    const auto error = testkit::captureError<DecodeError>(read);
    return error ? std::optional(error->kind()) : std::nullopt;
}

TEST(JsonReader, IntegersAreStrict) {
    struct Case {
        std::string text;
        std::optional<std::int64_t> expected;
    };
    const Case cases[] = {
        {"5", 5},
        {"-7", -7},
        {"5.0", 5},
        {"1e3", 1000},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775809", std::nullopt},
        {"5.5", std::nullopt},
        {"1e300", std::nullopt},
        {"true", std::nullopt},
        {"\"5\"", std::nullopt},
    };
    for (const auto& c : cases) {
        const Json value = json::parse(c.text);
        if (c.expected) {
            EXPECT_EQ(json::readInt64(value, "n"), *c.expected) << c.text;
        } else {
            EXPECT_THROW(json::readInt64(value, "n"), DecodeError) << c.text;
        }
    }
}

TEST(JsonReader, NoCoercionBetweenTypes) {
    EXPECT_EQ(kindOf([] { json::readBool(Json(1), "b"); }), DecodeErrorKind::typeMismatch);
    EXPECT_EQ(kindOf([] { json::readString(Json(1), "s"); }), DecodeErrorKind::typeMismatch);
    EXPECT_EQ(kindOf([] { json::readDouble(Json("1"), "d"); }), DecodeErrorKind::typeMismatch);
    EXPECT_EQ(kindOf([] { json::readInt64(Json(true), "i"); }), DecodeErrorKind::typeMismatch);
    EXPECT_DOUBLE_EQ(json::readDouble(Json(3), "d"), 3.0);
}

TEST(JsonReader, ObjectKeysMissingNullAndPresent) {
    const Json value = json::parse(R"({"a": "x", "n": null, "i": 2})");
    const json::ObjectReader reader(value, "root");
    EXPECT_EQ(reader.string("a"), "x");
    EXPECT_EQ(reader.optionalString("n"), std::nullopt);
    EXPECT_EQ(reader.optionalString("missing"), std::nullopt);
    EXPECT_EQ(reader.optionalInt64("i"), 2);
    EXPECT_EQ(kindOf([&] { reader.string("missing"); }), DecodeErrorKind::keyNotFound);
    EXPECT_EQ(kindOf([&] { reader.string("n"); }), DecodeErrorKind::valueNotFound);
    EXPECT_EQ(kindOf([&] { reader.optionalString("i"); }), DecodeErrorKind::typeMismatch);
    EXPECT_EQ(kindOf([] { json::ObjectReader(Json::array(), ""); }), DecodeErrorKind::typeMismatch);
}

TEST(JsonReader, ErrorsNameThePathOfTheKey) {
    const Json value = json::parse(R"({"targets": [{"id": "a"}, {"id": 3}]})");
    const auto error = testkit::captureError<DecodeError>([&] {
        const json::ObjectReader reader(value, "");
        return reader.required("targets", [](const Json& list, const std::string& path) {
            return json::readArray(list, path, [](const Json& item, const std::string& at) {
                return json::ObjectReader(item, at).string("id");
            });
        });
    });
    ASSERT_TRUE(error) << "expected an error";
    EXPECT_EQ(error->path(), "targets[1].id");
    EXPECT_EQ(error->kind(), DecodeErrorKind::typeMismatch);
}

enum class Color { red, darkBlue };
constexpr EnumName<Color> colorNames[] = {{Color::red, "red"}, {Color::darkBlue, "darkBlue"}};

TEST(JsonReader, EnumerationsMatchExactCaseNames) {
    EXPECT_EQ(json::readEnum<Color>(Json("darkBlue"), "c", colorNames), Color::darkBlue);
    for (const char* bad : {"DarkBlue", "darkblue", "", "red "}) {
        EXPECT_EQ(kindOf([&] { json::readEnum<Color>(Json(bad), "c", colorNames); }),
                  DecodeErrorKind::dataCorrupted)
            << bad;
    }
    EXPECT_EQ(nameOf<Color>(Color::red, colorNames), "red");
}

TEST(JsonReader, DatesReadAsIsoTextOrReferenceNumbers) {
    EXPECT_EQ(json::readIsoDate(Json("2001-01-01T00:00:00Z"), "d"), Date{0});
    EXPECT_EQ(kindOf([] { json::readIsoDate(Json("2001-01-01T00:00:00.5Z"), "d"); }),
              DecodeErrorKind::dataCorrupted);
    EXPECT_EQ(kindOf([] { json::readIsoDate(Json(0), "d"); }), DecodeErrorKind::typeMismatch);
    EXPECT_EQ(json::readReferenceDate(Json(12.25), "d"), Date{12.25});
    EXPECT_EQ(kindOf([] { json::readReferenceDate(Json("2001-01-01T00:00:00Z"), "d"); }),
              DecodeErrorKind::typeMismatch);
}

TEST(JsonReader, InvalidTextIsDataCorrupted) {
    // Runs of blanks in the wrong place stay as wrong as a single blank there.
    for (const char* bad : {"", "{", "{\"a\":}", "[1,]", "\"\xff\"", "{} {}", "   ", "1  \n 2",
                            "tr \t ue", "-  1", "1.  5", "[1,   ]", "\"a\t\tb\"", "\"a  \n  b\"",
                            "\"\\  \"", "\"open   ", " \xEF\xBB\xBF{}"}) {
        EXPECT_EQ(kindOf([&] { json::parse(bad); }), DecodeErrorKind::dataCorrupted) << bad;
    }
}

TEST(JsonReader, RunsOfBlanksBetweenTokensMeanWhatOneBlankMeans) {
    struct Case {
        std::string text;
        Json expected;
    };
    const Case cases[] = {
        {"{ \"a\" :\n\t [ 1 ,\r\n  2 ]   }  ", Json::parse(R"({"a":[1,2]})")},
        // Blanks inside strings are content, also after an escaped quote or backslash.
        {"\"a  \\\"  b\"", Json("a  \"  b")},
        {"[\"x\\\\\"   ,   \" y \"]", Json::parse(R"(["x\\"," y "])")},
        {"\xEF\xBB\xBF  {}", Json::object()},
        {"{" + std::string(512 * 1024, ' ') + "\"type\":\"a\"" + std::string(9, ' ') + "}",
         Json::parse(R"({"type":"a"})")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(json::parse(c.text), c.expected) << c.text.substr(0, 40);
    }
}

}  // namespace
}  // namespace quorvel
