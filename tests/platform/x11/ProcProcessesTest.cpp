#include "platform/x11/ProcProcesses.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/PlatformError.h"

namespace keyrelay {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// Listed by executable, Windows programs by .exe name; started detached, in their folder.
TEST(ProcProcesses, ListsProgramsByTheirNamesAndStartsThem) {
    using namespace std::string_literals;
    const fs::path top = "/tmp/keyrelay-proc-" + std::to_string(getpid()), proc = top / "proc";
    // Process id, executable (link target; empty when unreadable), command line, name.
    const std::vector<std::tuple<int, std::string, std::string, std::string>> fakeProc = {
        {10, "/usr/bin/xterm", "xterm\0-e\0sh\0"s, "xterm\n"},
        {9, "/opt/radio/prog (deleted)", "prog\0"s, "prog\n"},
        {200, "", "/home/other/bin/otherprog\0"s, "otherprog\n"},  // another user's
        {2, "", "", "kthreadd\n"},                                 // a kernel thread
        {300, "/usr/bin/wine64-preloader", "C:\\Afreet\\CwSkimmer.exe\0"s, "CwSkimmer.exe\n"},
        {301, "/usr/bin/wine64-preloader", "/home/u/HDSDR/HDSDR.EXE\0-x\0"s, "HDSDR.EXE\n"},
        {302, "/usr/local/bin/tool.exe", "tool.exe\0"s, "tool.exe\n"},
        {303, "/usr/bin/python3", "python3\0script.exe.py\0"s, "python3\n"},
    };
    for (const auto& [pid, exe, cmdline, comm] : fakeProc) {
        fs::path dir = proc / std::to_string(pid);
        fs::create_directories(dir);
        if (!exe.empty()) {
            fs::create_symlink(exe, dir / "exe");
        }
        std::ofstream(dir / "cmdline", std::ios::binary) << cmdline;
        std::ofstream(dir / "comm") << comm;
    }
    fs::create_symlink("10", proc / "self");
    EXPECT_EQ(ProcProcesses({}, proc).runningModuleNames(),
              (Strings{"prog", "xterm", "otherprog", "wine64-preloader", "CwSkimmer.exe",
                       "wine64-preloader", "HDSDR.EXE", "tool.exe", "python3"}));
    EXPECT_TRUE(ProcProcesses({}, top / "missing").runningModuleNames().empty());

    const fs::path folder = top / "work folder", out = folder / "out.txt";
    const std::string home = folder.string(), exe = (folder / "CwSkimmer.exe").string();
    fs::create_directories(folder / "sub");
    std::ofstream(exe) << "MZ not really\n";  // neither it nor the notes are executable
    fs::copy_file(exe, folder / "Tool.EXE");
    fs::permissions(folder / "Tool.EXE", fs::perms::owner_all);  // as Wine writes an .exe
    std::ofstream(folder / "notes.txt") << "not a program\n";
    std::ofstream(folder / "garbage") << "\177ELF garbage";
    std::ofstream(folder / "report.sh")
        << "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > out.tmp && mv out.tmp out.txt\n";
    fs::permissions(folder / "report.sh", fs::perms::owner_all);
    fs::permissions(folder / "garbage", fs::perms::owner_all);
    fs::create_symlink(folder / "report.sh", folder / "sub/report.sh");
    fs::create_symlink(folder / "report.sh", folder / "sub/wine");  // Wine reports as well
    // Folder, program, parameters, and the folder and arguments reported, or the failure.
    auto failed = [](long number) { return Strings{"failed " + std::to_string(number)}; };
    const std::vector<std::tuple<std::string, std::string, std::string, Strings>> cases = {
        // Blanks separate the parameters, double quotes group them and go.
        {home,
         "report.sh",
         " \tone \"two words\"  pre\"fix mid\"dle \"\" \"unclosed x",
         {home, "one", "two words", "prefix middle", "", "unclosed x"}},
        {home + "/", "report.sh", "a", {home, "a"}},
        {home + "\\", "report.sh", "b", {home, "b"}},  // written the Windows way
        {home, "sub/report.sh", "", {home}},
        {home, (folder / "report.sh").string(), "d", {home, "d"}},
        {home, "sh", "-c \"pwd > o.tmp && mv o.tmp out.txt\"", {home}},   // found on the PATH
        {home, "CwSkimmer.exe", "-x \"y z\"", {home, exe, "-x", "y z"}},  // under Wine
        {home, "Tool.EXE", "", {home, (folder / "Tool.EXE").string()}},   // executable too
        {home + "/missing", "report.sh", "", failed(errors::FileNotFound)},
        {home, "no-such-program-anywhere", "", failed(errors::FileNotFound)},
        {home, "sub", "", failed(errors::FileNotFound)},  // a folder, not a program
        {home, "", "", failed(errors::FileNotFound)},
        {home, "notes.txt", "", failed(errors::PermissionDenied)},
        {home, "garbage", "", failed(ENOEXEC)},  // the exec itself fails in the child
    };
    setenv("PATH", (folder.string() + "/sub:" + std::getenv("PATH")).c_str(), 1);
    int minimised = 0;
    ProcProcesses processes([&](int pid) { minimised = pid; });
    for (const auto& [dir, file, parameters, expected] : cases) {
        Strings lines;
        try {
            processes.start(dir, file, parameters, WindowState::Normal);
            for (int i = 0; i < 3000 && !fs::exists(out); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        } catch (const PlatformError& e) {
            lines = failed(e.number());
        }
        std::ifstream in(out);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        EXPECT_EQ(lines, expected) << file << " " << parameters;
        fs::remove(out);
    }
    EXPECT_EQ(minimised, 0) << "a normal start minimises nothing";
    EXPECT_TRUE(waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD)
        << "the program is not our child, so it never becomes our zombie";

    // A minimised start hands the program over to be minimised; it runs once start() returns.
    fs::copy_file("/bin/sleep", folder / "keyrelay-sleeper");
    processes.start(home, "keyrelay-sleeper", "60", WindowState::Minimized);
    ASSERT_GT(minimised, 0);
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(minimised) + "/exe").filename(),
              "keyrelay-sleeper");
    auto names = processes.runningModuleNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "keyrelay-sleeper"), names.end());
    kill(minimised, SIGTERM);
    fs::remove_all(top);
}

}  // namespace
}  // namespace keyrelay
