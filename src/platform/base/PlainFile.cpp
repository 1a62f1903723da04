#include "platform/base/PlainFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qb::platform {

Result<> ReadPlainFile(const std::string& path, const std::function<bool(std::string_view piece)>& take) {
    if (path.empty()) return Fail("no file name");
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail(std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Fail("not a plain file");
    }
    std::string buffer(64 * 1024, '\0');
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            return Fail(std::strerror(error));
        }
        if (n == 0 || !take(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) break;
    }
    ::close(fd);
    return {};
}

} // namespace qb::platform
