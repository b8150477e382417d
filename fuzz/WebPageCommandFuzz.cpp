#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/WebPageCommand.h"

// The first two bytes choose the sizes the registry reports, a third the address length;
// the rest are the value's bytes and the address. The value sits in a buffer of exactly
// its own size, so any read past it is caught by AddressSanitizer.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const size_t bufferSize = data[0] + 1u;
    const size_t reportedSize = data[1] * 2u;
    const size_t addressLength = data[2] % 200u;
    data += 3;
    size -= 3;
    const size_t valueBytes = size < bufferSize ? size : bufferSize;
    std::vector<char> value(data, data + valueBytes);
    const std::string address(reinterpret_cast<const char*>(data + valueBytes),
                              std::min(addressLength, size - valueBytes));
    char commandLine[kWebPageCommandSize];
    std::memset(commandLine, 'x', sizeof commandLine);
    const bool startable = BuildWebPageCommand(value.data(), value.size(), reportedSize, address, commandLine);
    const size_t length = strnlen(commandLine, sizeof commandLine);
    if (length >= sizeof commandLine)
        std::abort(); // never without its terminating zero
    if (!startable && length != 0)
        std::abort();
    if (startable) {
        const std::string command(commandLine, length);
        if (command.size() < address.size() || command.compare(command.size() - address.size(), address.size(), address) != 0)
            std::abort(); // the whole address, at the end
        const std::string text = command.substr(0, command.size() - address.size());
        if (text.empty() || text.size() > value.size() || std::memcmp(text.data(), value.data(), text.size()) != 0)
            std::abort(); // the value's text, as it stands
    }
    return 0;
}
