#include "tools/render/RenderOptions.h"

#include <cstdio>
#include <utility>

#include "common/CommandLineOptions.h"
#include "common/MessageText.h"

namespace {

std::string Lowercase(std::string text)
{
    for (char& ch : text)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return text;
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool ParseCount(const std::string& text, uint32_t& count)
{
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(ch - '0');
    }
    if (value == 0 || value > UINT32_MAX)
        return false;
    count = static_cast<uint32_t>(value);
    return true;
}

} // namespace

bool PictureFormatForName(const std::string& name, PictureFormat& format)
{
    const std::string lower = Lowercase(name);
    // A bare ".png" names no file; a path ending in "/.png" neither.
    if (lower.size() <= 4 || lower[lower.size() - 5] == '/')
        return false;
    if (EndsWith(lower, ".bmp")) {
        format = PictureFormat::Bmp;
        return true;
    }
    if (EndsWith(lower, ".png")) {
        format = PictureFormat::Png;
        return true;
    }
    return false;
}

bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string& error)
{
    options = RenderOptions{};
    error.clear();
    if (AsksForHelp(args, OptionDashes::Two)) {
        options.help = true;
        return true;
    }
    std::vector<GivenOption> given;
    if (!ReadOptions(args, {{"source", true}, {"ticks", true}, {"output", true}, {"frames", true}, {"every", true}},
                     OptionDashes::Two, given, error))
        return false;

    // Values are never empty, so an empty slot is an option not given; the first three are needed.
    std::string every;
    const std::pair<const char*, std::string*> slots[] = {
        {"source", &options.source}, {"ticks", &options.ticks}, {"output", &options.output},
        {"frames", &options.framesDirectory}, {"every", &every},
    };
    for (const GivenOption& option : given)
        for (const auto& slot : slots)
            if (option.name == slot.first)
                *slot.second = option.value;
    for (size_t k = 0; k < 3; ++k)
        if (slots[k].second->empty()) {
            error = std::string("missing --") + slots[k].first + " (see --help)";
            return false;
        }
    if (!PictureFormatForName(options.output, options.outputFormat)) {
        error = "output name " + QuoteForMessage(options.output) + " must end in .bmp or .png";
        return false;
    }
    if (!every.empty()) {
        if (options.framesDirectory.empty()) {
            error = "option --every needs --frames";
            return false;
        }
        if (!ParseCount(every, options.every)) {
            error = "option --every takes a whole number from 1 to " + std::to_string(UINT32_MAX) + ", not " +
                    QuoteForMessage(every);
            return false;
        }
    }
    return true;
}

std::string FrameFileName(const RenderOptions& options, uint32_t frameNumber)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06u.%s", static_cast<unsigned>(frameNumber),
                  options.outputFormat == PictureFormat::Png ? "png" : "bmp");
    std::string path = options.framesDirectory;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + name;
}

std::string RenderUsage()
{
    return "Usage: vellumar-render --source IN --ticks LIST --output OUT [--frames DIR [--every N]]\n"
           "\n"
           "Replays the Vellumar screen saver's water animation on a picture, without a window.\n"
           "\n"
           "  --source IN     the desktop picture as it looks on screen: a 24- or 32-bit uncompressed\n"
           "                  Windows bitmap (.bmp), PNG or JPEG; its size is the screen size\n"
           "                  (1 to 16384 pixels on a side)\n"
           "  --ticks LIST    timer ticks in arrival order: decimal timer identifiers separated by\n"
           "                  commas (1 renders a frame, every identifier drops water), for example\n"
           "                  1,3,2,1,3; or std:N, the ticks of N frames of 60 ms as the saver's\n"
           "                  three timers deliver them\n"
           "  --output OUT    the last frame as the screen shows it; OUT ends in .bmp (32-bit\n"
           "                  bitmap) or .png\n"
           "  --frames DIR    also write presented frames into DIR (made if missing) as\n"
           "                  frame-000001.png and so on, in OUT's format\n"
           "  --every N       with --frames: only every Nth presented frame (default 1)\n"
           "  --help          show this text\n"
           "\n"
           "Exit status: 0 done; 1 a file could not be written; 2 bad input (options, tick list or\n"
           "source picture), nothing written.\n";
}
