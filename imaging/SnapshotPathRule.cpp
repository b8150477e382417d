#include "imaging/SnapshotPathRule.h"

std::string SnapshotPathInDirectoryOf(const std::string& tempFileName)
{
    const size_t slash = tempFileName.rfind('\\');
    if (slash == std::string::npos || slash == 0)
        return {};
    return tempFileName.substr(0, slash) + kSnapshotFileName;
}

std::string SnapshotPathInDirectory(const std::string& tempDirectory)
{
    const size_t end = tempDirectory.find_last_not_of('\\');
    if (end == std::string::npos)
        return {};
    return tempDirectory.substr(0, end + 1) + kSnapshotFileName;
}
