#pragma once
// Runs a piece of a test in a child process as an ordinary user, so file-permission rules apply
// as they do to the program's users: when the tests run as root, the child gives up root for
// the user "nobody" before it runs the piece. What the piece returns comes back as text.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string>

namespace qb::test {

struct ChildOutcome {
    bool ran = false;       // false: the child could not become an ordinary user
    int exitStatus = -1;    // when it exited
    int signal = 0;         // when a signal ended it
    std::string text;       // what the piece returned (when it returned)
};

// The user files are made for so that the child may or may not reach them: nobody when the
// tests run as root, otherwise the user running them.
inline uid_t OrdinaryUid() {
    if (::getuid() != 0) return ::getuid();
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_uid : 65534;
}
inline gid_t OrdinaryGid() {
    if (::getuid() != 0) return ::getgid();
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_gid : 65534;
}

// Gives `path` to the ordinary user, with these permission bits.
inline void GiveToOrdinaryUser(const std::string& path, mode_t mode) {
    if (::getuid() == 0 && ::chown(path.c_str(), OrdinaryUid(), OrdinaryGid()) != 0) std::abort();
    if (::chmod(path.c_str(), mode) != 0) std::abort();
}

inline ChildOutcome RunAsOrdinaryUser(const std::function<std::string()>& piece) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid < 0) return {};
    if (pid == 0) {
        ::close(pipeFds[0]);
        if (::getuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(OrdinaryGid()) != 0 ||
                                ::setuid(OrdinaryUid()) != 0))
            ::_exit(125);
        const std::string text = piece();
        for (std::size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(pipeFds[1], text.data() + done, text.size() - done);
            if (n <= 0) ::_exit(124);
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    ChildOutcome outcome;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;)
        if (n > 0) outcome.text.append(buffer, static_cast<std::size_t>(n));
        else if (errno != EINTR) break;
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) outcome.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
    outcome.ran = outcome.exitStatus != 125;
    return outcome;
}

} // namespace qb::test
