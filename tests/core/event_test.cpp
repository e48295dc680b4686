// BeforeAdd handlers that connect and disconnect handlers, themselves
// included, while the event is being raised.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vireo/core/segment.h"

using namespace prjVireo;

TEST(BeforeAddEvent, HandlersChangedDuringARaiseTakeEffectFromTheNextRaise) {
    BeforeAddEvent event;
    std::vector<std::string> calls;
    BeforeAddEvent::Connection first = 0, second = 0;
    const std::string name(64, 'A');  // held on the heap by the handler's own copy
    first = event.connect([&, name](std::string&, std::int32_t&, std::int16_t&) {
        event.disconnect(first);   // itself: its captures must outlive the call
        event.disconnect(second);  // a later one: not called any more
        event.connect([&](std::string&, std::int32_t&, std::int16_t&) { calls.push_back("third"); });
        calls.push_back("first " + std::to_string(name.size()));
    });
    second = event.connect([&](std::string&, std::int32_t&, std::int16_t&) { calls.push_back("second"); });

    std::string value = "ST*~";
    std::int32_t count = 1;
    std::int16_t cancel = 0;
    event.raise(value, count, cancel);
    EXPECT_EQ(calls, (std::vector<std::string>{"first 64"}));
    EXPECT_FALSE(event.empty());

    calls.clear();
    event.raise(value, count, cancel);
    EXPECT_EQ(calls, (std::vector<std::string>{"third"}));
}
