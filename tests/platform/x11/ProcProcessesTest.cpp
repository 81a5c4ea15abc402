#include "platform/x11/ProcProcesses.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/PlatformError.h"

namespace keyrelay {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

bool waitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 3000 && !done(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

void writeFile(const fs::path& path, const std::string& text, bool executable) {
    std::ofstream(path, std::ios::binary) << text;
    fs::permissions(
        path, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

class ProcProcessesTest : public ::testing::Test {
protected:
    ProcProcessesTest() {
        char name[] = "/tmp/keyrelay-proc.XXXXXX";
        top_ = mkdtemp(name);
        folder_ = top_ / "work folder";
        fs::create_directories(folder_ / "sub");
        fs::create_directory(top_ / "bin");
        // Writes its working folder and arguments to "out.txt" there.
        const char* reporter =
            "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > out.tmp && mv out.tmp out.txt\n";
        for (const fs::path& p :
             {folder_ / "report.sh", folder_ / "sub/report.sh", top_ / "bin/wine"}) {
            writeFile(p, reporter, true);
        }
    }
    ~ProcProcessesTest() override { fs::remove_all(top_); }

    Strings reported() {
        EXPECT_TRUE(waitUntil([&] { return fs::exists(folder_ / "out.txt"); }))
            << "the program did not run";
        std::ifstream in(folder_ / "out.txt");
        Strings lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        fs::remove(folder_ / "out.txt");
        return lines;
    }

    fs::path top_, folder_;
};

TEST_F(ProcProcessesTest, ListsProcessesByExecutableAndWindowsProgramsByTheirExeName) {
    using namespace std::string_literals;
    struct Process {
        int pid;
        std::string exe, cmdline, comm;  // exe: link target, empty when unreadable
    };
    const std::vector<Process> processes = {
        {10, "/usr/bin/xterm", "xterm\0-e\0sh\0"s, "xterm\n"},
        {9, "/opt/radio/prog (deleted)", "prog\0"s, "prog\n"},
        {200, "", "/home/other/bin/otherprog\0"s, "otherprog\n"},  // another user's
        {2, "", "", "kthreadd\n"},                                 // a kernel thread
        {300, "/usr/lib/wine/wine64-preloader",
         "C:\\Program Files\\Afreet\\CwSkimmer\\CwSkimmer.exe\0"s, "CwSkimmer.exe\n"},
        {301, "/usr/lib/wine/wine64-preloader", "/home/u/.wine/drive_c/HDSDR/HDSDR.EXE\0-x\0"s,
         "HDSDR.EXE\n"},
        {302, "/usr/local/bin/tool.exe", "tool.exe\0"s, "tool.exe\n"},
        {303, "/usr/bin/python3", "python3\0script.exe.py\0"s, "python3\n"},
    };
    const fs::path proc = top_ / "proc";
    for (const Process& p : processes) {
        fs::path dir = proc / std::to_string(p.pid);
        fs::create_directories(dir);
        if (!p.exe.empty()) {
            fs::create_symlink(p.exe, dir / "exe");
        }
        std::ofstream(dir / "cmdline", std::ios::binary) << p.cmdline;
        std::ofstream(dir / "comm") << p.comm;
    }
    fs::create_symlink("10", proc / "self");

    EXPECT_EQ(ProcProcesses({}, proc).runningModuleNames(),
              (Strings{"prog", "xterm", "otherprog", "wine64-preloader", "CwSkimmer.exe",
                       "wine64-preloader", "HDSDR.EXE", "tool.exe", "python3"}));
    EXPECT_TRUE(ProcProcesses({}, top_ / "missing").runningModuleNames().empty());
}

TEST_F(ProcProcessesTest, ProgramStartsDetachedInItsFolderWithItsParameters) {
    const std::string folder = folder_.string(), exe = (folder_ / "CwSkimmer.exe").string();
    // The folder, the program, its parameters, and what it reports: its folder, its arguments.
    const std::vector<std::tuple<std::string, std::string, std::string, Strings>> cases = {
        // Blanks separate the parameters, double quotes group them and go.
        {folder,
         "report.sh",
         " \tone \"two words\"  pre\"fix mid\"dle \"\" \"unclosed x",
         {folder, "one", "two words", "prefix middle", "", "unclosed x"}},
        {folder + "/", "report.sh", "a", {folder, "a"}},
        {folder + "\\", "report.sh", "b", {folder, "b"}},  // written the Windows way
        {folder, "sub/report.sh", "", {folder}},
        {folder, (folder_ / "report.sh").string(), "d", {folder, "d"}},
        {folder, "sh", "-c \"pwd > o.tmp && mv o.tmp out.txt\"", {folder}},   // found on the PATH
        {folder, "CwSkimmer.exe", "-x \"y z\"", {folder, exe, "-x", "y z"}},  // under Wine
    };
    writeFile(exe, "MZ not really\n", false);
    const std::string path = std::getenv("PATH");
    setenv("PATH", ((top_ / "bin").string() + ":" + path).c_str(), 1);
    bool minimiseAsked = false;
    ProcProcesses processes([&](int) { minimiseAsked = true; });
    for (const auto& [dir, file, parameters, expected] : cases) {
        processes.start(dir, file, parameters, WindowState::Normal);
        EXPECT_EQ(reported(), expected) << file << " " << parameters;
    }
    setenv("PATH", path.c_str(), 1);
    EXPECT_FALSE(minimiseAsked) << "a normal start minimises nothing";
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD) << "the program is not our child, so it never becomes our zombie";
}

TEST_F(ProcProcessesTest, RefusedStartsFailWithTheirReason) {
    writeFile(folder_ / "notes.txt", "not a program\n", false);
    writeFile(folder_ / "garbage", "\177ELF garbage", true);
    const std::string folder = folder_.string();
    const std::vector<std::tuple<std::string, std::string, long>> cases = {
        {folder + "/missing", "report.sh", errors::FileNotFound},
        {folder, "no-such-program-anywhere", errors::FileNotFound},
        {folder, "sub", errors::FileNotFound},  // a folder, not a program
        {folder, "", errors::FileNotFound},
        {folder, "notes.txt", errors::PermissionDenied},
        {folder, "garbage", ENOEXEC},  // the exec itself fails in the child
    };
    for (const auto& [dir, file, number] : cases) {
        try {
            ProcProcesses().start(dir, file, "", WindowState::Normal);
            ADD_FAILURE() << "started " << file;
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.number(), number) << file << ": " << e.description();
        }
    }
}

TEST_F(ProcProcessesTest, MinimisedStartIsHandedOnAndTheProgramIsListedByItsName) {
    fs::copy_file("/bin/sleep", folder_ / "keyrelay-sleeper");
    int pid = 0;
    ProcProcesses processes([&](int started) { pid = started; });
    processes.start(folder_.string(), "keyrelay-sleeper", "60", WindowState::Minimized);
    ASSERT_GT(pid, 0) << "a minimised start hands the program over to be minimised";
    EXPECT_TRUE(waitUntil([&] {
        auto names = processes.runningModuleNames();
        return std::find(names.begin(), names.end(), "keyrelay-sleeper") != names.end();
    }));
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(pid) + "/exe").filename(),
              "keyrelay-sleeper");
    kill(pid, SIGTERM);
}

}  // namespace
}  // namespace keyrelay
