#include "display/qt/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace
{
bool Fail(std::string& error, int code)
{
    error = std::strerror(code);
    return false;
}

bool WriteAll(int fd, const char* data, std::size_t size, std::string& error)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return Fail(error, errno);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The permissions a new file gets from open(): 0666 less the umask.
mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A link is followed, so the file it names is replaced and the link stays a link.
std::string Resolve(const std::string& path)
{
    struct stat st = {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
}

using CWriter = std::function<bool(int fd, std::string& error)>;

bool WriteInPlace(const std::string& path, const CWriter& write, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return Fail(error, errno);
    const bool written = write(fd, error);
    if (::close(fd) != 0 && written)
        return Fail(error, errno);
    return written;
}
}  // namespace

bool WriteOutputDescriptor(int fd, const QByteArray& bytes, std::string& error)
{
    return WriteAll(fd, bytes.constData(), static_cast<std::size_t>(bytes.size()), error);
}

bool WriteOutputFile(const std::string& path, const QByteArray& bytes, std::string& error)
{
    return WriteOutputFileBy(
        path,
        [&](int fd, std::string& reason) {
            return WriteAll(fd, bytes.constData(), static_cast<std::size_t>(bytes.size()), reason);
        },
        error);
}

bool WriteOutputFileBy(const std::string& path, const CWriter& write, std::string& error)
{
    if (path.empty())
        return Fail(error, ENOENT);
    const std::string target = Resolve(path);
    struct stat st = {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return Fail(error, EISDIR);
    // Renaming over a device would replace the device node itself.
    if (exists && !S_ISREG(st.st_mode))
        return WriteInPlace(target, write, error);

    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = dir + "." + base + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return Fail(error, errno);
    const auto discard = [&](int code) {
        ::unlink(temp.c_str());
        return Fail(error, code);
    };
    // An existing file keeps its permissions; a new one gets what open() would give it.
    if (::fchmod(fd, exists ? (st.st_mode & 07777) : NewFileMode()) != 0) {
        const int code = errno;
        ::close(fd);
        return discard(code);
    }
    if (!write(fd, error)) {
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    // On disk before it takes the target's name, so a crash cannot leave an empty file there.
    if (::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        return discard(code);
    }
    if (::close(fd) != 0)
        return discard(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return discard(errno);
    return true;
}
