#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/CommandLine.h"

namespace {

// Shift-JIS lead bytes: the multibyte case the mode search must get right.
bool ShiftJisLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

void Check(const std::string& line, LeadBytePredicate isLeadByte)
{
    const std::vector<std::string> arguments = SplitCommandLine(line, isLeadByte);
    size_t total = 0;
    for (const std::string& argument : arguments)
        total += argument.size();
    if (total > line.size())
        std::abort(); // splitting only removes quotes, blanks and escapes
    const SaverMode mode = ChooseSaverMode(arguments, isLeadByte);
    if (arguments.size() <= 1 && mode != SaverMode::Configure)
        std::abort();
    (void)PreviewHostValue(arguments);
    (void)HandleValueToPointerWidth(ParseHandleArgument(line));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    Check(line, NoLeadBytes);
    Check(line, ShiftJisLeadByte);
    return 0;
}
