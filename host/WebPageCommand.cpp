#include "host/WebPageCommand.h"

#include <cstring>

bool BuildWebPageCommand(const char* valueData, std::size_t bufferSize, std::size_t reportedSize,
                         std::string_view address, char (&commandLine)[kWebPageCommandSize])
{
    commandLine[0] = '\0';
    if (valueData == nullptr || reportedSize > bufferSize)
        return false;

    const void* zero = std::memchr(valueData, '\0', reportedSize);
    const std::size_t textLength =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - valueData) : reportedSize;
    if (textLength == 0)
        return false;
    // An address with a zero in it would be cut short by the program that reads the line.
    if (address.find('\0') != std::string_view::npos)
        return false;
    if (textLength >= kWebPageCommandSize || address.size() >= kWebPageCommandSize - textLength)
        return false;

    std::memcpy(commandLine, valueData, textLength);
    std::memcpy(commandLine + textLength, address.data(), address.size());
    commandLine[textLength + address.size()] = '\0';
    return true;
}
