#include "platform/x11/ProcProcesses.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/PlatformError.h"

namespace keyrelay {

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string baseName(const std::string& path, bool backslashToo) {
    auto cut = path.find_last_of(backslashToo ? "/\\" : "/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool endsWithExe(const std::string& name) {
    if (name.size() < 4) {
        return false;
    }
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".exe";
}

bool isDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string list = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    for (;;) {
        std::size_t end = list.find(':', start);
        std::string dir = list.substr(start, end == std::string::npos ? end : end - start);
        if (dir.empty()) {
            dir = ".";
        }
        std::string candidate = dir + "/" + name;
        if (isRegularFile(candidate) && access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (end == std::string::npos) {
            return {};
        }
        start = end + 1;
    }
}

long errorNumberOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return errors::FileNotFound;
        case EACCES:
        case EPERM:
            return errors::PermissionDenied;
        default:
            return error;
    }
}

// What the helper processes report through the pipe: one record each, written at once.
struct Report {
    char kind;  // 'P' program's pid, 'C' chdir failed, 'E' exec failed, 'F' fork failed
    int value;
};

void report(int fd, char kind, int value) {
    Report r{kind, value};
    ssize_t ignored = write(fd, &r, sizeof r);
    (void)ignored;
}

}  // namespace

ProcProcesses::ProcProcesses(MinimizeRequest minimize, std::string procRoot)
    : minimize_(std::move(minimize)), procRoot_(std::move(procRoot)) {}

std::vector<std::string> ProcProcesses::runningModuleNames() {
    std::vector<long> pids;
    if (DIR* dir = opendir(procRoot_.c_str())) {
        while (dirent* entry = readdir(dir)) {
            char* end = nullptr;
            long pid = std::strtol(entry->d_name, &end, 10);
            if (*entry->d_name != '\0' && *end == '\0' && pid > 0) {
                pids.push_back(pid);
            }
        }
        closedir(dir);
    }
    std::sort(pids.begin(), pids.end());

    std::vector<std::string> names;
    for (long pid : pids) {
        std::string base = procRoot_ + "/" + std::to_string(pid);
        std::string cmdline = readFile(base + "/cmdline");
        std::string argv0 = cmdline.substr(0, cmdline.find('\0'));
        std::string name;
        char target[4096];
        ssize_t length = readlink((base + "/exe").c_str(), target, sizeof target - 1);
        if (length > 0) {
            std::string exe(target, static_cast<std::size_t>(length));
            const std::string deleted = " (deleted)";
            if (exe.size() > deleted.size() &&
                exe.compare(exe.size() - deleted.size(), deleted.size(), deleted) == 0) {
                exe.resize(exe.size() - deleted.size());
            }
            name = baseName(exe, false);
        } else if (!cmdline.empty()) {
            // Another user's process; kernel threads and zombies have no command line.
            name = readFile(base + "/comm");
            if (!name.empty() && name.back() == '\n') {
                name.pop_back();
            }
        }
        if (name.empty()) {
            continue;
        }
        names.push_back(name);
        std::string windowsName = baseName(argv0, true);
        if (endsWithExe(windowsName) && windowsName != name) {
            names.push_back(windowsName);
        }
    }
    return names;
}

std::string ProcProcesses::winePrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.wine";
}

std::vector<std::string> ProcProcesses::splitParameters(const std::string& parameters) {
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false, quoted = false;
    for (char c : parameters) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inArgument) {
                args.push_back(current);
                current.clear();
                inArgument = false;
            }
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) {
        args.push_back(current);
    }
    return args;
}

void ProcProcesses::start(const std::string& folder, const std::string& file,
                          const std::string& parameters, WindowState state) {
    // The working folder, absolute, so that the program path built on it stays valid
    // after the child has changed into it. A folder written the Windows way with a
    // closing backslash is accepted.
    std::string workdir = folder.empty() ? "." : folder;
    while (!isDirectory(workdir) && workdir.size() > 1 &&
           (workdir.back() == '\\' || workdir.back() == '/')) {
        workdir.pop_back();
    }
    if (!isDirectory(workdir)) {
        throw PlatformError(errors::FileNotFound, "The folder \"" + folder + "\" does not exist");
    }
    if (workdir.front() != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd) == nullptr) {
            throw PlatformError(
                errno, std::string("Cannot read the current folder: ") + std::strerror(errno));
        }
        workdir = std::string(cwd) + "/" + workdir;
    }
    if (file.empty()) {
        throw PlatformError(errors::FileNotFound, "No program to start");
    }

    // A name without a slash is looked for in the folder first, then on the PATH.
    std::string path;
    if (file.find('/') != std::string::npos) {
        path = file.front() == '/' ? file : workdir + "/" + file;
    } else if (isRegularFile(workdir + "/" + file)) {
        path = workdir + "/" + file;
    } else {
        path = findOnPath(file);
    }
    if (path.empty() || !isRegularFile(path)) {
        throw PlatformError(errors::FileNotFound, "File not found: \"" + file + "\"");
    }

    std::vector<std::string> args;
    if (endsWithExe(path)) {
        std::string wine = findOnPath("wine");
        if (wine.empty()) {
            throw PlatformError(errors::FileNotFound,
                                "\"" + file + "\" is a Windows program and Wine is not installed");
        }
        args = {"wine", path};
        path = wine;
    } else if (access(path.c_str(), X_OK) == 0) {
        args.push_back(file);
    } else {
        throw PlatformError(errors::PermissionDenied, "\"" + file + "\" is not executable");
    }
    for (std::string& arg : splitParameters(parameters)) {
        args.push_back(std::move(arg));
    }
    // Everything the children need is made before fork: between fork and exec only
    // async-signal-safe calls are allowed in a process with threads.
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        throw PlatformError(errno, std::string("Cannot start a program: ") + std::strerror(errno));
    }
    pid_t middle = fork();
    if (middle < 0) {
        int error = errno;
        close(fds[0]);
        close(fds[1]);
        throw PlatformError(error, std::string("Cannot start a program: ") + std::strerror(error));
    }
    if (middle == 0) {
        // The middle process only forks the program and ends, so that the program is
        // reparented to init, which reaps it.
        close(fds[0]);
        setsid();
        pid_t program = fork();
        if (program < 0) {
            report(fds[1], 'F', errno);
            _exit(127);
        }
        if (program > 0) {
            report(fds[1], 'P', program);
            _exit(0);
        }
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        struct sigaction dflt = {};
        dflt.sa_handler = SIG_DFL;
        sigaction(SIGPIPE, &dflt, nullptr);
        if (chdir(workdir.c_str()) != 0) {
            report(fds[1], 'C', errno);
            _exit(127);
        }
        // No descriptor of ours but the standard ones reaches the program.
        close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        execv(path.c_str(), argv.data());
        report(fds[1], 'E', errno);
        _exit(127);
    }
    close(fds[1]);
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    int programPid = 0;
    Report failure{0, 0};
    Report r;
    for (;;) {
        ssize_t got = read(fds[0], &r, sizeof r);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got != static_cast<ssize_t>(sizeof r)) {
            break;
        }
        if (r.kind == 'P') {
            programPid = r.value;
        } else {
            failure = r;
        }
    }
    close(fds[0]);
    if (failure.kind != 0) {
        const char* what = failure.kind == 'C'   ? "Cannot enter the folder \""
                           : failure.kind == 'F' ? "Cannot start a process for \""
                                                 : "Cannot start \"";
        std::string subject = failure.kind == 'C' ? workdir : file;
        throw PlatformError(errorNumberOf(failure.value),
                            what + subject + "\": " + std::strerror(failure.value));
    }
    if (programPid == 0) {
        throw PlatformError(errors::PermissionDenied, "Cannot start \"" + file + "\"");
    }
    if (state == WindowState::Minimized && programPid > 0 && minimize_) {
        minimize_(programPid);
    }
}

}  // namespace keyrelay
