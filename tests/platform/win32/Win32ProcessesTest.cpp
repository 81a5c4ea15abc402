#include "platform/win32/Win32Processes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "RecordingWindow.h"
#include "platform/PlatformError.h"

namespace keyrelay {
namespace {

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// The delivery layer's question on top of the listing: the whole name, letter case ignored.
bool isRunning(Processes& processes, const std::string& exeName) {
    const std::vector<std::string> names = processes.runningModuleNames();
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return upper(n) == upper(exeName); });
}

std::wstring folderOf(const std::wstring& path) {
    return path.substr(0, path.rfind(L'\\') + 1);
}

std::wstring ownFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return folderOf(path);
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> readLines(const std::wstring& path) {
    std::vector<std::string> lines;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lines;
    }
    std::string content(64 * 1024, '\0');
    DWORD read = 0;
    ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    CloseHandle(file);
    content.resize(read);
    std::istringstream in(content);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool sameFolder(std::string a, std::string b) {
    while (!a.empty() && a.back() == '\\') {
        a.pop_back();
    }
    while (!b.empty() && b.back() == '\\') {
        b.pop_back();
    }
    return upper(a) == upper(b);
}

// A working folder of the test's own, with a blank and a non-ASCII letter in its name,
// holding copies of the probe program under two names.
class Win32ProcessesTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"krt " + std::to_wstring(GetCurrentProcessId()) +
                  L" Ordner \u00e4\\";
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
        const std::wstring probe = ownFolder() + L"KeyrelayProbe.exe";
        ASSERT_TRUE(exists(probe)) << test::utf8(probe);
        for (const wchar_t* name : {L"KeyrelayProbe.exe", L"Keyrelay Probe.exe"}) {
            ASSERT_TRUE(CopyFileW(probe.c_str(), (folder_ + name).c_str(), FALSE));
        }
    }

    void TearDown() override {
        stopProbes();
        for (const wchar_t* name :
             {L"KeyrelayProbe.exe", L"Keyrelay Probe.exe", L"probe-out.txt", L"probe-stop"}) {
            DeleteFileW((folder_ + name).c_str());
        }
        RemoveDirectoryW(folder_.c_str());
    }

    // Ends the probes that run in the folder and waits until they are gone.
    void stopProbes() {
        const std::wstring stop = folder_ + L"probe-stop";
        CloseHandle(
            CreateFileW(stop.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        test::pollUntil([&] {
            return !isRunning(processes_, "KeyrelayProbe.exe") &&
                   !isRunning(processes_, "Keyrelay Probe.exe");
        });
        DeleteFileW(stop.c_str());
    }

    std::string folder() const { return test::utf8(folder_); }

    std::vector<std::string> waitForReport() {
        const std::wstring report = folder_ + L"probe-out.txt";
        if (!test::pollUntil([&] { return exists(report); })) {
            return {};
        }
        auto lines = readLines(report);
        DeleteFileW(report.c_str());
        return lines;
    }

    std::wstring folder_;
    Win32Processes processes_;
};

TEST_F(Win32ProcessesTest, StartsInTheWorkingFolderWithParametersAndWindowState) {
    struct Case {
        std::string file;
        std::string parameters;
        WindowState state;
        std::vector<std::string> arguments;
        int shown;
    };
    const std::vector<Case> cases = {
        {"KeyrelayProbe.exe",
         "record \"two words\" -x",
         WindowState::Normal,
         {"KeyrelayProbe.exe", "record", "two words", "-x"},
         SW_SHOWNORMAL},
        {"KeyrelayProbe", "", WindowState::Minimized, {"KeyrelayProbe"}, SW_SHOWMINIMIZED},
        {"Keyrelay Probe.exe",
         "one",
         WindowState::Minimized,
         {"Keyrelay Probe.exe", "one"},
         SW_SHOWMINIMIZED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("file: " + c.file + ", parameters: " + c.parameters);
        processes_.start(folder(), c.file, c.parameters, c.state);
        const auto report = waitForReport();
        ASSERT_GE(report.size(), 2u) << "the program did not report";
        EXPECT_TRUE(sameFolder(report[0], folder())) << report[0];
        EXPECT_EQ(report[1], std::to_string(c.shown));
        EXPECT_EQ(std::vector<std::string>(report.begin() + 2, report.end()), c.arguments);
        stopProbes();
    }
}

TEST_F(Win32ProcessesTest, ARunningProgramIsListedByItsModuleNameInAnyLetterCase) {
    ASSERT_FALSE(isRunning(processes_, "KeyrelayProbe.exe"));
    processes_.start(folder(), "KeyrelayProbe.exe", "", WindowState::Normal);
    ASSERT_FALSE(waitForReport().empty());

    EXPECT_TRUE(isRunning(processes_, "keyrelayPROBE.Exe"));
    EXPECT_TRUE(isRunning(processes_, "KEYRELAYPROBE.EXE"));
    EXPECT_FALSE(isRunning(processes_, "KeyrelayProbe"));
    EXPECT_FALSE(isRunning(processes_, "Keyrelay Probe.exe"));
    // The test program itself is listed too.
    wchar_t own[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    const std::wstring ownPath(own);
    EXPECT_TRUE(isRunning(processes_, test::utf8(ownPath.substr(ownPath.rfind(L'\\') + 1))));

    stopProbes();
    EXPECT_FALSE(isRunning(processes_, "KeyrelayProbe.exe"));
}

TEST_F(Win32ProcessesTest, AProgramThatCannotBeStartedFailsWithTheSystemsNumber) {
    struct Case {
        std::string folder;
        std::string file;
        long number;
    };
    const std::vector<Case> cases = {
        {folder(), "NoSuchProgram.exe", ERROR_FILE_NOT_FOUND},
        {folder() + "no such folder\\", "KeyrelayProbe.exe", ERROR_DIRECTORY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + c.file);
        try {
            processes_.start(c.folder, c.file, "", WindowState::Normal);
            ADD_FAILURE() << "started";
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.number(), c.number) << e.description();
            EXPECT_FALSE(e.description().empty());
        }
    }
    EXPECT_FALSE(exists(folder_ + L"probe-out.txt"));
}

}  // namespace
}  // namespace keyrelay
