#pragma once
// Runs a piece of a test in a child process without root's power to pass
// every permission, so that a folder that may not be changed refuses as it
// would for anybody else. As root the child becomes the unprivileged
// "nobody" (the tree it works on is handed to that user first); as anyone
// else it runs as it is.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>

namespace pelkora::testing {

inline constexpr uid_t kNobody = 65534;

// Gives the whole tree to "nobody" when running as root; links are changed
// as links.
inline void handTreeToNobody(const std::filesystem::path& tree)
{
    if (::geteuid() != 0)
        return;
    std::error_code error;
    if (::lchown(tree.c_str(), kNobody, kNobody) != 0)
        return;
    for (std::filesystem::recursive_directory_iterator it(tree, error), end; !error && it != end; it.increment(error))
        if (::lchown(it->path().c_str(), kNobody, kNobody) != 0)
            return;
}

// What work returned in the child, or nothing when the child failed.
inline std::optional<std::string> runUnprivileged(const std::function<std::string()>& work)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(3);
        const std::string text = work();
        std::size_t sent = 0;
        while (sent < text.size()) {
            const ssize_t written = ::write(pipeEnds[1], text.data() + sent, text.size() - sent);
            if (written <= 0)
                ::_exit(4);
            sent += static_cast<std::size_t>(written);
        }
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

}  // namespace pelkora::testing
