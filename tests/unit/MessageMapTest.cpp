#include <gtest/gtest.h>

#include <string>

#include "framework/MessageMap.h"

namespace {

constexpr uint32_t kPaint = 0x000F;
constexpr uint32_t kTimer = 0x0113;
constexpr uint32_t kKeyDown = 0x0100;
constexpr uint32_t kSysCommand = 0x0112;
constexpr uint32_t kButtonClicked = 0;

class BaseTarget : public MessageTarget {
public:
    std::string log;
    std::intptr_t OnPaint(std::uintptr_t, std::intptr_t) { log += "base-paint;"; return 1; }
    std::intptr_t OnTimer(std::uintptr_t w, std::intptr_t) { log += "base-timer" + std::to_string(w) + ";"; return 2; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseTarget, MessageTarget)
    ON_MESSAGE(kPaint, OnPaint)
    ON_MESSAGE(kTimer, OnTimer)
END_MESSAGE_MAP()

class DerivedTarget : public BaseTarget {
public:
    int derivedState = 40;
    std::intptr_t OnTimer(std::uintptr_t, std::intptr_t l) { log += "derived-timer;"; return derivedState + l; }
    std::intptr_t OnKeyDown(std::uintptr_t, std::intptr_t) { log += "key;"; return 3; }
    std::intptr_t OnOk(std::uintptr_t, std::intptr_t) { log += "ok;"; return 4; }
    std::intptr_t OnOkDoubleClicked(std::uintptr_t, std::intptr_t) { log += "ok-dbl;"; return 5; }
    std::intptr_t OnSysCommand(std::uintptr_t w, std::intptr_t) { log += "sys" + std::to_string(w) + ";"; return 6; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedTarget, BaseTarget)
    ON_MESSAGE(kTimer, OnTimer)
    ON_MESSAGE(kKeyDown, OnKeyDown)
    ON_MESSAGE(kSysCommand, OnSysCommand)
    ON_COMMAND_CODE(1, kButtonClicked, OnOk)
    ON_COMMAND_CODE(1, 5, OnOkDoubleClicked)
END_MESSAGE_MAP()

// A class with nothing of its own still reaches its base's entries.
class EmptyMapTarget : public DerivedTarget {
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(EmptyMapTarget, DerivedTarget)
END_MESSAGE_MAP()

std::uintptr_t CommandParam(uint32_t id, uint32_t code)
{
    return (static_cast<std::uintptr_t>(code) << 16) | id;
}

}  // namespace

TEST(MessageMap, MostDerivedEntryWinsAndBaseEntriesAreInherited)
{
    DerivedTarget target;
    std::intptr_t result = 0;
    ASSERT_TRUE(DispatchToMap(target, kTimer, 1, 2, result));
    EXPECT_EQ(42, result);  // the derived handler ran on the derived object's state
    ASSERT_TRUE(DispatchToMap(target, kPaint, 0, 0, result));
    EXPECT_EQ(1, result);
    EXPECT_EQ("derived-timer;base-paint;", target.log);

    BaseTarget base;
    ASSERT_TRUE(DispatchToMap(base, kTimer, 7, 0, result));
    EXPECT_EQ(2, result);
    EXPECT_EQ("base-timer7;", base.log);
}

TEST(MessageMap, UnhandledMessagesAreLeftToTheCaller)
{
    DerivedTarget target;
    std::intptr_t result = 99;
    EXPECT_FALSE(DispatchToMap(target, 0x0201, 0, 0, result));
    EXPECT_EQ(99, result);
    BaseTarget base;
    EXPECT_FALSE(DispatchToMap(base, kKeyDown, 0, 0, result));  // the derived entry is not the base's
    MessageTarget plain;
    EXPECT_FALSE(DispatchToMap(plain, kPaint, 0, 0, result));
    EXPECT_EQ(nullptr, FindMessageEntry(nullptr, kPaint, 0));
    EXPECT_TRUE(target.log.empty());
}

TEST(MessageMap, CommandsMatchControlIdAndNotificationCode)
{
    DerivedTarget target;
    std::intptr_t result = 0;
    ASSERT_TRUE(DispatchToMap(target, kCommandMessage, CommandParam(1, kButtonClicked), 0, result));
    EXPECT_EQ(4, result);
    ASSERT_TRUE(DispatchToMap(target, kCommandMessage, CommandParam(1, 5), 0, result));
    EXPECT_EQ(5, result);
    EXPECT_FALSE(DispatchToMap(target, kCommandMessage, CommandParam(2, kButtonClicked), 0, result));
    EXPECT_FALSE(DispatchToMap(target, kCommandMessage, CommandParam(1, 1), 0, result));
    // Bits above the low 32 of a 64-bit wParam do not belong to the id or the code.
    if (sizeof(std::uintptr_t) > 4) {
        const std::uintptr_t high = static_cast<std::uintptr_t>(1) << (sizeof(std::uintptr_t) * 8 - 1);
        EXPECT_FALSE(DispatchToMap(target, kCommandMessage, high | CommandParam(1, 3), 0, result));
    }
    EXPECT_EQ("ok;ok-dbl;", target.log);
}

TEST(MessageMap, PlainMessagesIgnoreTheParametersWhenMatching)
{
    DerivedTarget target;
    std::intptr_t result = 0;
    ASSERT_TRUE(DispatchToMap(target, kSysCommand, 0xF140, 0, result));
    ASSERT_TRUE(DispatchToMap(target, kSysCommand, 0xF060, 0, result));
    EXPECT_EQ("sys61760;sys61536;", target.log);
}

TEST(MessageMap, EmptyMapFallsThroughToItsBases)
{
    EmptyMapTarget target;
    std::intptr_t result = 0;
    ASSERT_TRUE(DispatchToMap(target, kKeyDown, 0, 0, result));
    ASSERT_TRUE(DispatchToMap(target, kPaint, 0, 0, result));
    EXPECT_EQ("key;base-paint;", target.log);
    EXPECT_EQ(DerivedTarget::GetThisMessageMap(), target.GetMessageMap()->base);
    EXPECT_EQ(MessageTarget::GetThisMessageMap(), BaseTarget::GetThisMessageMap()->base);
}
