#include "tools/render/ReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include "common/MessageText.h"

namespace {

bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

std::string CannotWrite(const std::string& path, int errorNumber)
{
    return "cannot write " + QuoteForMessage(path) + ": " + std::strerror(errorNumber);
}

} // namespace

ReplacingFile::~ReplacingFile()
{
    Discard();
}

void ReplacingFile::Discard()
{
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
    if (!temporaryPath.empty()) {
        ::unlink(temporaryPath.c_str());
        temporaryPath.clear();
    }
}

bool ReplacingFile::Open(const std::string& path, std::string& error)
{
    Discard();
    finalPath = path;
    std::string pattern = path + ".XXXXXX";
    descriptor = ::mkstemp(&pattern[0]);
    if (descriptor < 0) {
        error = CannotWrite(path, errno);
        return false;
    }
    temporaryPath = pattern;
    // mkstemp makes the file private to its owner; a picture gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(descriptor, 0666 & ~mask);
    return true;
}

bool ReplacingFile::Commit(const std::vector<uint8_t>& bytes, std::string& error)
{
    if (descriptor < 0) {
        error = CannotWrite(finalPath, EBADF);
        return false;
    }
    int failure = WriteAll(descriptor, bytes.data(), bytes.size()) ? 0 : errno;
    if (::close(descriptor) != 0 && failure == 0)
        failure = errno;
    descriptor = -1;
    if (failure == 0 && ::rename(temporaryPath.c_str(), finalPath.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        error = CannotWrite(finalPath, failure);
        Discard();
        return false;
    }
    temporaryPath.clear();
    return true;
}

bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    ReplacingFile file;
    return file.Open(path, error) && file.Commit(bytes, error);
}
