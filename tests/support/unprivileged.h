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

// Whether "nobody" can reach path: every folder on the way lets others
// pass. A checkout or temporary folder under a private one (0700) does not.
inline bool reachableByNobody(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path at = std::filesystem::absolute(path, error);
    for (; !error; at = at.parent_path()) {
        struct stat status {};
        if (::stat(at.c_str(), &status) != 0)
            return false;
        if (S_ISDIR(status.st_mode) && status.st_uid != kNobody && (status.st_mode & S_IXOTH) == 0)
            return false;
        if (at == at.parent_path())
            return true;
    }
    return false;
}

// Where trees handed to "nobody" are made: the system's temporary folder
// when that user can reach it, else /tmp; nothing when neither will do
// (the test is then skipped with that reason). As anyone but root, the
// system's temporary folder: nobody is changed into.
inline std::optional<std::filesystem::path> temporaryBaseForNobody()
{
    const std::filesystem::path system = std::filesystem::temp_directory_path();
    if (::geteuid() != 0 || reachableByNobody(system))
        return system;
    if (reachableByNobody("/tmp"))
        return std::filesystem::path("/tmp");
    return std::nullopt;
}

inline constexpr const char* kNoFolderForNobody = "no temporary folder that the user \"nobody\" can reach";

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
