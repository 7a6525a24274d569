#include "platform/DesktopSystem.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace {

std::vector<char*> ArgPointers(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    pointers.reserve(argv.size() + 1);
    for (const std::string& arg : argv) pointers.push_back(const_cast<char*>(arg.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// The child starts with no blocked signals, whatever this thread blocks.
struct SpawnAttributes {
    posix_spawnattr_t attr;
    SpawnAttributes() {
        posix_spawnattr_init(&attr);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attr); }
};

int WaitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

}  // namespace

std::string CDesktopSystem::GetEnv(const std::string& name) const {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

bool CDesktopSystem::QueryDefaultBrowser(std::string& desktopId) const {
    desktopId.clear();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const std::vector<std::string> argv{"xdg-settings", "get", "default-web-browser"};
    std::vector<char*> pointers = ArgPointers(argv);
    SpawnAttributes attributes;
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, pointers[0], &actions, &attributes.attr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        return false;
    }
    std::string output;
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n > 0) {
            if (output.size() < 4096) output.append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(fds[0]);
    const int status = WaitFor(pid);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    const size_t end = output.find_first_of("\r\n");
    desktopId = output.substr(0, end);
    while (!desktopId.empty() && (desktopId.back() == ' ' || desktopId.back() == '\t')) desktopId.pop_back();
    return !desktopId.empty();
}

bool CDesktopSystem::StartProcess(const std::vector<std::string>& argv, std::function<void(int)> onExit) const {
    if (argv.empty() || argv[0].empty()) return false;
    std::vector<char*> pointers = ArgPointers(argv);
    SpawnAttributes attributes;
    pid_t pid = 0;
    if (::posix_spawnp(&pid, pointers[0], nullptr, &attributes.attr, pointers.data(), environ) != 0) return false;
    // The program runs on its own; a thread collects its exit status so that
    // no zombie stays behind.
    std::thread([pid, onExit = std::move(onExit)] {
        const int status = WaitFor(pid);
        if (!onExit) return;
        onExit(WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 1);
    }).detach();
    return true;
}
