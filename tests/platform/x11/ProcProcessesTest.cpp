#include "platform/x11/ProcProcesses.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/PlatformError.h"

namespace keyrelay {
namespace {

namespace fs = std::filesystem;

bool waitUntil(const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::vector<std::string> readLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

void writeFile(const fs::path& path, const std::string& text, bool executable) {
    std::ofstream(path, std::ios::binary) << text;
    fs::permissions(
        path, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

class TemporaryFolder {
public:
    TemporaryFolder() {
        char name[] = "/tmp/keyrelay-proc.XXXXXX";
        path_ = mkdtemp(name);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// --- the process list, read from a /proc laid out by the test -----------------------

struct FakeProcess {
    int pid;
    std::string exe;      // link target; empty: unreadable
    std::string cmdline;  // NUL-separated
    std::string comm;
};

TEST(ProcProcessesList, NamesEachProcessByItsExecutableAndWindowsProgramsByTheirExeName) {
    using namespace std::string_literals;
    const std::vector<FakeProcess> processes = {
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
    TemporaryFolder proc;
    for (const FakeProcess& p : processes) {
        fs::path dir = proc.path() / std::to_string(p.pid);
        fs::create_directory(dir);
        if (!p.exe.empty()) {
            fs::create_symlink(p.exe, dir / "exe");
        }
        std::ofstream(dir / "cmdline", std::ios::binary) << p.cmdline;
        std::ofstream(dir / "comm") << p.comm;
    }
    fs::create_directory(proc.path() / "sys");
    fs::create_symlink("10", proc.path() / "self");

    ProcProcesses list({}, proc.path());

    EXPECT_EQ(
        list.runningModuleNames(),
        (std::vector<std::string>{"prog", "xterm", "otherprog", "wine64-preloader", "CwSkimmer.exe",
                                  "wine64-preloader", "HDSDR.EXE", "tool.exe", "python3"}));
}

TEST(ProcProcessesList, MissingProcFolderGivesAnEmptyList) {
    ProcProcesses list({}, "/nonexistent/proc");
    EXPECT_TRUE(list.runningModuleNames().empty());
}

TEST(ProcProcessesList, FindsThisTestProgram) {
    ProcProcesses list;
    auto names = list.runningModuleNames();
    std::string self = fs::read_symlink("/proc/self/exe").filename();
    EXPECT_NE(std::find(names.begin(), names.end(), self), names.end());
}

// --- parameters -----------------------------------------------------------------------

TEST(ProcProcessesParameters, BlanksSeparateAndDoubleQuotesGroup) {
    struct Case {
        std::string text;
        std::vector<std::string> args;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"   ", {}},
        {"-a", {"-a"}},
        {"one two  three", {"one", "two", "three"}},
        {" \tlead and trail\t ", {"lead", "and", "trail"}},
        {"\"two words\" x", {"two words", "x"}},
        {"C:\\Skimmer\\ini \"C:\\Program Files\\x\"", {"C:\\Skimmer\\ini", "C:\\Program Files\\x"}},
        {"pre\"fix mid\"dle", {"prefix middle"}},
        {"\"\" empty", {"", "empty"}},
        {"\"unclosed quote", {"unclosed quote"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProcProcesses::splitParameters(c.text), c.args) << c.text;
    }
}

// --- starting programs ----------------------------------------------------------------

// A program that writes its working folder and arguments to "out.txt" there.
const char* Reporter =
    "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > out.tmp && mv out.tmp out.txt\n";

class ProcProcessesStart : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = work_.path() / "work folder";
        fs::create_directory(folder_);
        fs::create_directory(folder_ / "sub");
        writeFile(folder_ / "report.sh", Reporter, true);
        writeFile(folder_ / "sub" / "report.sh", Reporter, true);
    }

    std::vector<std::string> reported() {
        fs::path out = folder_ / "out.txt";
        EXPECT_TRUE(waitUntil([&] { return fs::exists(out); })) << "the program did not run";
        return readLines(out);
    }

    TemporaryFolder work_;
    fs::path folder_;
    ProcProcesses processes_;
};

TEST_F(ProcProcessesStart, ProgramGetsItsParametersAndTheFolder) {
    struct Case {
        std::string folder;
        std::string file;
        std::string parameters;
        std::vector<std::string> args;
    };
    std::string folder = folder_.string();
    const std::vector<Case> cases = {
        {folder, "report.sh", "", {}},
        {folder, "report.sh", "one \"two words\" three", {"one", "two words", "three"}},
        {folder + "/", "report.sh", "a", {"a"}},
        {folder + "\\", "report.sh", "b", {"b"}},  // written the Windows way
        {folder, "sub/report.sh", "c", {"c"}},
        {folder, (folder_ / "report.sh").string(), "d", {"d"}},
        {folder, "sh", "-c \"pwd > o.tmp && mv o.tmp out.txt\"", {}},  // found on the PATH
    };
    for (const Case& c : cases) {
        fs::remove(folder_ / "out.txt");
        processes_.start(c.folder, c.file, c.parameters, WindowState::Normal);
        std::vector<std::string> expected{folder};
        expected.insert(expected.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(reported(), expected) << c.file << " " << c.parameters;
    }
}

TEST_F(ProcProcessesStart, RefusedStartsFailWithTheirReason) {
    writeFile(folder_ / "notes.txt", "not a program\n", false);
    writeFile(folder_ / "garbage",
              std::string("\x7f"
                          "ELF garbage",
                          11),
              true);
    struct Case {
        std::string folder;
        std::string file;
        long number;
    };
    std::string folder = folder_.string();
    const std::vector<Case> cases = {
        {folder + "/missing", "report.sh", errors::FileNotFound},
        {folder, "no-such-program-anywhere", errors::FileNotFound},
        {folder, "sub", errors::FileNotFound},  // a folder, not a program
        {folder, "", errors::FileNotFound},
        {folder, "notes.txt", errors::PermissionDenied},
        {folder, "garbage", ENOEXEC},  // the exec itself fails in the child
    };
    for (const Case& c : cases) {
        try {
            processes_.start(c.folder, c.file, "", WindowState::Normal);
            ADD_FAILURE() << "started " << c.file;
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.number(), c.number) << c.file << ": " << e.description();
            EXPECT_FALSE(e.description().empty());
        }
    }
}

TEST_F(ProcProcessesStart, StartedProgramLeavesNoChildBehind) {
    processes_.start(folder_.string(), "report.sh", "", WindowState::Normal);
    reported();
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD) << "the program is not our child, so it never becomes our zombie";
}

TEST_F(ProcProcessesStart, StartedProgramIsListedByItsName) {
    fs::copy_file("/bin/sleep", folder_ / "keyrelay-sleeper");
    fs::permissions(folder_ / "keyrelay-sleeper", fs::perms::owner_all);
    int pid = 0;
    ProcProcesses processes([&](int started) { pid = started; });
    processes.start(folder_.string(), "keyrelay-sleeper", "60", WindowState::Minimized);
    ASSERT_GT(pid, 0) << "a minimised start hands the program over to be minimised";

    auto names = [&] { return processes.runningModuleNames(); };
    EXPECT_TRUE(waitUntil([&] {
        auto list = names();
        return std::find(list.begin(), list.end(), "keyrelay-sleeper") != list.end();
    }));
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(pid) + "/exe").filename(),
              "keyrelay-sleeper");
    kill(pid, SIGTERM);
}

TEST_F(ProcProcessesStart, NormalStartMinimisesNothing) {
    bool asked = false;
    ProcProcesses processes([&](int) { asked = true; });
    processes.start(folder_.string(), "report.sh", "", WindowState::Normal);
    reported();
    EXPECT_FALSE(asked);
}

TEST_F(ProcProcessesStart, WindowsProgramStartsUnderWine) {
    fs::path bin = work_.path() / "bin";
    fs::create_directory(bin);
    writeFile(bin / "wine", Reporter, true);
    writeFile(folder_ / "CwSkimmer.exe", "MZ not really\n", false);
    std::string path = std::getenv("PATH");
    setenv("PATH", (bin.string() + ":" + path).c_str(), 1);

    processes_.start(folder_.string(), "CwSkimmer.exe", "-x \"y z\"", WindowState::Normal);
    setenv("PATH", path.c_str(), 1);

    EXPECT_EQ(reported(),
              (std::vector<std::string>{folder_.string(), (folder_ / "CwSkimmer.exe").string(),
                                        "-x", "y z"}));
}

}  // namespace
}  // namespace keyrelay
