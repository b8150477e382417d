#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The command line of vellumar-render.

enum class PictureFormat { Bmp, Png };

struct RenderOptions {
    std::string source;
    std::string ticks;
    std::string output;
    PictureFormat outputFormat = PictureFormat::Bmp;
    std::string framesDirectory; // empty: no frames are written
    uint32_t every = 1;
    bool help = false;
};

// The format a file name asks for by its extension, .bmp or .png in any case; false for others.
bool PictureFormatForName(const std::string& name, PictureFormat& format);

// Parses the arguments after the program name. "--name value" and "--name=value" both work;
// "--help" anywhere asks for the usage and nothing else. On failure `error` says why in one line.
bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string& error);

// Where frame `frameNumber` goes: frame-000001.png and so on inside the frames directory,
// in the output's format.
std::string FrameFileName(const RenderOptions& options, uint32_t frameNumber);

std::string RenderUsage();
