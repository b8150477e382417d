#include "framework/MessageMap.h"

namespace {

bool Matches(const MessageMapEntry& entry, uint32_t message, std::uintptr_t wParam)
{
    if (entry.message != message)
        return false;
    if (message != kCommandMessage)
        return true;
    const auto controlId = static_cast<uint32_t>(wParam & 0xFFFFu);
    const auto code = static_cast<uint32_t>((wParam >> 16) & 0xFFFFu);
    return entry.controlId == controlId && entry.notificationCode == code;
}

}  // namespace

const MessageMap* MessageTarget::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

const MessageMapEntry* FindMessageEntry(const MessageMap* map, uint32_t message,
                                        std::uintptr_t wParam)
{
    for (; map; map = map->base) {
        for (const MessageMapEntry* entry = map->entries; entry && entry->handler; ++entry) {
            if (Matches(*entry, message, wParam))
                return entry;
        }
    }
    return nullptr;
}

bool DispatchToMap(MessageTarget& target, uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam, std::intptr_t& result)
{
    const MessageMapEntry* entry = FindMessageEntry(target.GetMessageMap(), message, wParam);
    if (!entry)
        return false;
    result = (target.*(entry->handler))(wParam, lParam);
    return true;
}
