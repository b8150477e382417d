#pragma once
#include <string>

// Where the desktop snapshot file goes, decided from what the platform gives.

// The fixed file name, with the backslash that joins it to its directory.
constexpr const char* kSnapshotFileName = "\\cTempPicture.bmp";

// The directory part of `tempFileName` (everything before its last backslash) followed by
// the snapshot file name; empty when the name has no directory part.
std::string SnapshotPathInDirectoryOf(const std::string& tempFileName);

// The snapshot file inside `tempDirectory`, which may end in backslashes ("C:\Temp\",
// "C:\"); empty when the directory is empty.
std::string SnapshotPathInDirectory(const std::string& tempDirectory);
