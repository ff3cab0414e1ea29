// Native environment, command line, time and processes.
#include "platform/os/os.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace os {

namespace {
std::mutex g_cmdMutex;
bool g_cmdSet = false;
std::string g_cmd;

std::string procCommandLine() {
    FILE* f = std::fopen("/proc/self/cmdline", "rb");
    if (!f) return std::string();
    std::string raw;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) raw.append(buf, n);
    std::fclose(f);
    std::string line;
    size_t i = 0;
    bool first = true;
    while (i < raw.size()) {
        size_t j = raw.find('\0', i);
        if (j == std::string::npos) j = raw.size();
        std::string arg = raw.substr(i, j - i);
        if (!first) line += ' ';
        if (first) {
            try {
                arg = executablePath().empty() ? arg : executablePath();
            } catch (...) {
            }
            line += arg.find_first_of(" \t") == std::string::npos ? arg : "\"" + arg + "\"";
        } else {
            line += quoteArgument(arg);
        }
        first = false;
        i = j + 1;
    }
    return line;
}

bool isWindowsStyle(const std::string& prog) {
    return (prog.size() >= 2 && prog[1] == ':') || prog.find('\\') != std::string::npos;
}

void closeFrom(int lowest, int keep) {
    long max = ::sysconf(_SC_OPEN_MAX);
    if (max < 0 || max > 65536) max = 65536;
    for (int fd = lowest; fd < max; ++fd)
        if (fd != keep) ::close(fd);
}
}  // namespace

bool getEnv(const std::string& name, std::string& value) {
    const char* v = std::getenv(name.c_str());
    if (!v) return false;
    value = v;
    return true;
}

void setEnv(const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); }

void unsetEnv(const std::string& name) { ::unsetenv(name.c_str()); }

std::string commandLine() {
    {
        std::lock_guard<std::mutex> lock(g_cmdMutex);
        if (g_cmdSet) return g_cmd;
    }
    return procCommandLine();
}

void setCommandLine(const std::string& line) {
    std::lock_guard<std::mutex> lock(g_cmdMutex);
    g_cmd = line;
    g_cmdSet = true;
}

void sleepMs(unsigned ms) {
    struct timespec ts;
    ts.tv_sec = ms / 1000;
    ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

namespace {
bool spawn(const std::string& line, bool wait, int* exitCode, bool inheritHandles, const std::string& folder,
           const std::function<void()>* idle) {
    std::string hostFolder;
    if (!folder.empty()) {
        try {
            hostFolder = hostPath(folder);
        } catch (const PathError&) {
            return false;
        }
    }
    std::vector<std::string> args = splitCommandLine(line);
    if (args.empty() || args[0].empty()) return false;
    std::string program = args[0];
    if (isWindowsStyle(program)) {
        try {
            program = hostPath(program);
        } catch (const PathError&) {
            return false;
        }
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    bool search = program.find('/') == std::string::npos;

    // The exec's outcome comes back through a pipe closed by a successful exec.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return false;
    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (pid == 0) {
        ::close(report[0]);
        if (!wait) {
            // A second child that nobody waits for is adopted by init, not left a zombie.
            pid_t inner = ::fork();
            if (inner < 0) {
                int e = errno;
                ssize_t w = ::write(report[1], &e, sizeof e);
                (void)w;
                ::_exit(127);
            }
            if (inner > 0) ::_exit(0);
            ::setsid();
        }
        if (!inheritHandles) closeFrom(3, report[1]);
        if (!hostFolder.empty() && ::chdir(hostFolder.c_str()) != 0) {
            int e = errno;
            ssize_t w = ::write(report[1], &e, sizeof e);
            (void)w;
            ::_exit(127);
        }
        if (search)
            ::execvp(program.c_str(), argv.data());
        else
            ::execv(program.c_str(), argv.data());
        int e = errno;
        ssize_t w = ::write(report[1], &e, sizeof e);
        (void)w;
        ::_exit(127);
    }
    ::close(report[1]);
    int childErr = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &childErr, sizeof childErr);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    int status = 0;
    if (!wait || got > 0) {
        // The intermediate (or failed) child is gone at once.
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return got <= 0;
    }
    if (idle && *idle) {
        for (;;) {
            pid_t r = ::waitpid(pid, &status, WNOHANG);
            if (r == pid) break;
            if (r < 0 && errno != EINTR) return false;
            struct timespec pause{0, 50 * 1000 * 1000};
            ::nanosleep(&pause, nullptr);
            (*idle)();
        }
    } else {
        while (::waitpid(pid, &status, 0) < 0) {
            if (errno != EINTR) return false;
        }
    }
    if (exitCode) {
        if (WIFEXITED(status))
            *exitCode = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            *exitCode = 128 + WTERMSIG(status);
        else
            *exitCode = -1;
    }
    return true;
}

}  // namespace

bool startProcess(const std::string& line, bool wait, int* exitCode, bool inheritHandles) {
    return spawn(line, wait, exitCode, inheritHandles, std::string(), nullptr);
}

bool runAndWait(const std::string& line, const std::string& folder, int* exitCode, const std::function<void()>& idle) {
    return spawn(line, true, exitCode, false, folder, &idle);
}

bool hasAdministratorRights() {
    // The emulated machine withholds nothing but what the host file system does.
    std::string folder;
    try {
        folder = hostPath(windowsFolder());
    } catch (const PathError&) {
        return true;
    }
    return access(folder.c_str(), F_OK) != 0 || access(folder.c_str(), W_OK) == 0;
}

unsigned processorCount() {
    unsigned n = std::thread::hardware_concurrency();
    return n ? n : 1;
}

void runOnThreads(unsigned count, const std::function<void(unsigned)>& work, const std::function<void()>& idle) {
    std::atomic<unsigned> running{0};
    std::vector<std::thread> threads;
    threads.reserve(count);
    std::vector<unsigned> inline_;
    for (unsigned k = 0; k < count; ++k) {
        try {
            ++running;
            threads.emplace_back([&work, &running, k] {
                work(k);
                --running;
            });
        } catch (const std::system_error&) {
            --running;
            inline_.push_back(k);
        }
    }
    for (unsigned k : inline_) work(k);
    if (idle)
        while (running.load() > 0) {
            idle();
            sleepMs(20);
        }
    for (std::thread& t : threads) t.join();
}

}  // namespace os
