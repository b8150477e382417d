#pragma once
#include <cstddef>
#include <cstdint>

// Static message maps: each window class lists the messages it handles in one table whose
// last link is its base class's table. Dispatch walks from the most derived table to the
// base and calls the first entry that matches. No platform header: the lookup is plain data.
//
// A class declares its map with DECLARE_MESSAGE_MAP() in its body and defines it once:
//
//     BEGIN_MESSAGE_MAP(SaverWindow, DrawWindow)
//         ON_MESSAGE(WM_KEYDOWN, OnKeyDown)
//         ON_COMMAND_CODE(IDC_HOME_PAGE, BN_CLICKED, OnHomePage)
//     END_MESSAGE_MAP()
//
// A handler is `std::intptr_t Handler(std::uintptr_t wParam, std::intptr_t lParam)` and returns
// the message's result; a handler that wants default processing calls it itself.

constexpr uint32_t kCommandMessage = 0x0111;  // WM_COMMAND: matched by control id and code

class MessageTarget;
using MessageHandler = std::intptr_t (MessageTarget::*)(std::uintptr_t wParam, std::intptr_t lParam);

struct MessageMapEntry {
    uint32_t message;
    uint32_t controlId;         // WM_COMMAND only: low word of wParam
    uint32_t notificationCode;  // WM_COMMAND only: high word of wParam (BN_CLICKED is 0)
    MessageHandler handler;     // null ends the table
};

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
};

// Everything that has a message map. Its own map is empty and ends every chain.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }
    static const MessageMap* GetThisMessageMap();
};

// The first entry for the message, searching from `map` through its bases; null if none.
const MessageMapEntry* FindMessageEntry(const MessageMap* map, uint32_t message,
                                        std::uintptr_t wParam);

// Calls the handler that the target's map gives for the message and stores its result.
// False when no map of the chain handles it (the caller then does default processing).
bool DispatchToMap(MessageTarget& target, uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam, std::intptr_t& result);

template <class Target>
constexpr MessageMapEntry MapMessage(uint32_t message,
                                     std::intptr_t (Target::*handler)(std::uintptr_t, std::intptr_t))
{
    return {message, 0, 0, static_cast<MessageHandler>(handler)};
}

template <class Target>
constexpr MessageMapEntry MapCommand(uint32_t controlId, uint32_t notificationCode,
                                     std::intptr_t (Target::*handler)(std::uintptr_t, std::intptr_t))
{
    return {kCommandMessage, controlId, notificationCode, static_cast<MessageHandler>(handler)};
}

#define DECLARE_MESSAGE_MAP()                                                   \
public:                                                                         \
    static const MessageMap* GetThisMessageMap();                               \
    const MessageMap* GetMessageMap() const override;                           \
                                                                                \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                  \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MessageMap* theClass::GetThisMessageMap()                             \
    {                                                                           \
        using ThisClass [[maybe_unused]] = theClass;                                           \
        using TheBaseClass = baseClass;                                         \
        static const MessageMapEntry entries[] = {

#define ON_MESSAGE(message, memberFn) MapMessage<ThisClass>((message), &ThisClass::memberFn),

#define ON_COMMAND_CODE(controlId, notificationCode, memberFn) \
    MapCommand<ThisClass>((controlId), (notificationCode), &ThisClass::memberFn),

#define END_MESSAGE_MAP()                                                       \
        MessageMapEntry{0, 0, 0, nullptr}                                       \
        };                                                                      \
        static const MessageMap map = {TheBaseClass::GetThisMessageMap(), entries}; \
        return &map;                                                            \
    }
