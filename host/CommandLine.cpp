#include "host/CommandLine.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// atol skips what isspace accepts in the "C" locale.
bool IsAtolSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsLeadAt(const std::string& s, size_t i, LeadBytePredicate isLeadByte)
{
    return i + 1 < s.size() && isLeadByte(static_cast<unsigned char>(s[i]));
}

// argv[0]: quotes only toggle grouping; backslashes are plain characters.
size_t SplitProgramName(const std::string& line, LeadBytePredicate isLeadByte, std::string& name)
{
    size_t i = 0;
    bool inQuotes = false;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '"') {
            inQuotes = !inQuotes;
            ++i;
            continue;
        }
        if (!inQuotes && IsBlank(c))
            break;
        if (IsLeadAt(line, i, isLeadByte)) {
            name += line.substr(i, 2);
            i += 2;
            continue;
        }
        name += c;
        ++i;
    }
    return i;
}

}  // namespace

bool NoLeadBytes(unsigned char)
{
    return false;
}

std::vector<std::string> SplitCommandLine(const std::string& line, LeadBytePredicate isLeadByte)
{
    std::vector<std::string> arguments(1);
    size_t i = SplitProgramName(line, isLeadByte, arguments[0]);

    bool inQuotes = false;
    for (;;) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;

        std::string argument;
        for (;;) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++backslashes;
                ++i;
            }
            bool copyCharacter = true;
            if (i < line.size() && line[i] == '"') {
                if (backslashes % 2 == 0) {
                    if (inQuotes && i + 1 < line.size() && line[i + 1] == '"') {
                        ++i;  // "" inside quotes is one literal quote; grouping goes on
                    } else {
                        copyCharacter = false;
                        inQuotes = !inQuotes;
                    }
                }
                backslashes /= 2;
            }
            argument.append(backslashes, '\\');

            if (i >= line.size() || (!inQuotes && IsBlank(line[i])))
                break;
            if (copyCharacter) {
                if (IsLeadAt(line, i, isLeadByte)) {
                    argument += line[i];
                    ++i;
                }
                argument += line[i];
            }
            ++i;
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

bool ContainsCharacter(const std::string& text, char letter, LeadBytePredicate isLeadByte)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsLeadAt(text, i, isLeadByte)) {
            ++i;  // skip the trail byte with its lead
            continue;
        }
        if (text[i] == letter)
            return true;
    }
    return false;
}

SaverMode ChooseSaverMode(const std::vector<std::string>& arguments, LeadBytePredicate isLeadByte)
{
    if (arguments.size() <= 1)
        return SaverMode::Configure;
    const std::string& first = arguments[1];
    if (ContainsCharacter(first, 'c', isLeadByte))
        return SaverMode::Configure;
    if (ContainsCharacter(first, 'p', isLeadByte))
        return SaverMode::Preview;
    return SaverMode::FullScreen;
}

int32_t ParseHandleArgument(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && IsAtolSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t value = 0;  // unsigned, so that long inputs wrap instead of overflowing
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<int32_t>(value);
}

int32_t PreviewHostValue(const std::vector<std::string>& arguments)
{
    return arguments.size() > 2 ? ParseHandleArgument(arguments[2]) : 0;
}
