// vellumar-render: replays the saver's water animation on a picture, without a window.

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "common/CommandLineOptions.h"
#include "common/MessageText.h"
#include "tools/render/PictureFile.h"
#include "tools/render/PictureReplay.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/ReplacingFile.h"
#include "animation/TickList.h"

namespace {

constexpr const char* kProgramName = "vellumar-render";

int RunRenderTool(const std::vector<std::string>& args)
{
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(args, options, error))
        return Report(kProgramName, kExitBadInput, error);
    if (options.help) {
        std::fputs(RenderUsage().c_str(), stdout);
        return kExitDone;
    }
    std::vector<uintptr_t> ticks;
    if (!ParseTickList(options.ticks, ticks, error))
        return Report(kProgramName, kExitBadInput, error);
    PixelPicture picture;
    if (!ReadPictureFile(options.source, picture, error))
        return Report(kProgramName, kExitBadInput, error);

    // Everything from outside is checked; from here on only writing can fail.
    ReplacingFile output;
    if (!output.Open(options.output, error))
        return Report(kProgramName, kExitFailed, error);
    if (!options.framesDirectory.empty()) {
        std::error_code failure;
        std::filesystem::create_directories(options.framesDirectory, failure);
        if (failure || !std::filesystem::is_directory(options.framesDirectory))
            return Report(kProgramName, kExitFailed, "cannot make the frames directory " +
                                                QuoteForMessage(options.framesDirectory) + ": " +
                                                (failure ? failure.message() : "not a directory"));
    }

    std::string frameError;
    FrameSink writeFrame;
    if (!options.framesDirectory.empty())
        writeFrame = [&](uint32_t frameNumber, const PixelPicture& frame) {
            return WriteFileReplacing(FrameFileName(options, frameNumber), EncodePictureFile(frame, options.outputFormat),
                                      frameError);
        };
    PixelPicture last;
    if (!ReplayOnPicture(picture, ticks, options.every, writeFrame, last, error))
        return Report(kProgramName, kExitFailed, frameError.empty() ? error : frameError);

    const std::vector<uint8_t> bytes = EncodePictureFile(last, options.outputFormat);
    if (bytes.empty())
        return Report(kProgramName, kExitFailed, "cannot encode " + QuoteForMessage(options.output));
    if (!output.Commit(bytes, error))
        return Report(kProgramName, kExitFailed, error);
    return kExitDone;
}

} // namespace

int main(int argc, char** argv)
{
    return RunProgram(kProgramName, argc, argv, RunRenderTool);
}
