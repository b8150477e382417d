#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A file written beside its final name and renamed over it only when complete, so that an
// existing file is either replaced whole or left as it was. Opening early finds an unwritable
// place before any work is done.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile();

    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file beside `path`.
    bool Open(const std::string& path, std::string& error);

    // Writes `bytes` to the temporary file and renames it to the final name. On failure the
    // temporary file is removed and the final name left alone.
    bool Commit(const std::vector<uint8_t>& bytes, std::string& error);

private:
    void Discard();

    std::string finalPath;
    std::string temporaryPath;
    int descriptor = -1;
};

// Open and Commit in one go.
bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
