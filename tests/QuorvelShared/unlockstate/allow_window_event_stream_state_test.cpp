#include "QuorvelShared/unlockstate/allow_window_event_stream_state.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using Summaries = std::vector<AllowWindowSummary>;

const Date t = Date::fromUnixSeconds(1714557600);

TEST(AllowWindowEventStreamState, ReportsOnlyWhenTheMapChanged) {
    AllowWindowEventStreamState state;
    EXPECT_EQ(state.consume({}), Summaries{});
    EXPECT_EQ(state.consume({}), std::nullopt);

    struct Step {
        const char* what;
        AllowWindowMap allows;
        std::optional<Summaries> reported;
    };
    const Step steps[] = {
        {"windows appear, reported sorted by id",
         {{"web:b", t}, {"app.a", t.addingSeconds(60)}, {"Z", t}},
         Summaries{{"Z", t}, {"app.a", t.addingSeconds(60)}, {"web:b", t}}},
        {"the same map again", {{"Z", t}, {"web:b", t}, {"app.a", t.addingSeconds(60)}}, {}},
        {"one instant changes",
         {{"web:b", t}, {"app.a", t.addingSeconds(61)}, {"Z", t}},
         Summaries{{"Z", t}, {"app.a", t.addingSeconds(61)}, {"web:b", t}}},
        {"non-ASCII ids follow their code points",
         {{"\xC3\xA9", t}, {"\xE3\x81\x82", t}, {"z", t}},
         Summaries{{"z", t}, {"\xC3\xA9", t}, {"\xE3\x81\x82", t}}},
        {"ids follow the code points of their canonical form",
         {{"f", t}, {"e\u0301z", t}, {"\u00E9", t}, {"\u212Bx", t}, {"B", t}},
         // NFC: "\u00C5x" (angstrom sign), "\u00E9", "\u00E9z"
         Summaries{{"B", t}, {"f", t}, {"\u212Bx", t}, {"\u00E9", t}, {"e\u0301z", t}}},
        {"everything ends", {}, Summaries{}},
        {"still nothing", {}, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(state.consume(step.allows), step.reported);
        EXPECT_EQ(state.lastAllows, step.allows);
    }
}

}  // namespace
}  // namespace quorvel
