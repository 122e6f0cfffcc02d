// Helpers shared by the kernel and clock tests: threads running lambdas, and re-attaching the test process
// to its machine with some of the machine's settings changed.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Machine.h"
#include "windows.h"
#include "winsim/winsim.h"

namespace kernel_test
{

using Body = std::function<DWORD()>;

inline DWORD WINAPI RunBody(LPVOID parameter)
{
    std::unique_ptr<Body> body(static_cast<Body*>(parameter));
    return (*body)();
}

// A thread made with CreateThread that runs `body`.
inline HANDLE StartThread(Body body, DWORD flags = 0, DWORD* id = nullptr)
{
    auto* parameter = new Body(std::move(body));
    HANDLE thread = CreateThread(nullptr, 0, RunBody, parameter, flags, id);
    if (!thread)
        delete parameter;
    return thread;
}

inline DWORD ExitCodeOf(HANDLE thread)
{
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    return code;
}

// Ends the test process's attachment, changes machine settings (meta table) and attaches again.
inline void Reattach(const std::string& machineDir, const std::vector<std::pair<std::string, std::string>>& meta = {})
{
    winsim::Detach(0);
    std::string error;
    if (!meta.empty())
    {
        winsim::Machine machine;
        ASSERT_TRUE(machine.Open(machineDir, error)) << error;
        for (const auto& [name, value] : meta)
            ASSERT_TRUE(machine.SetMeta(name, value)) << name;
        machine.Close();
    }
    winsim::AttachOptions options;
    options.machineDir = machineDir;
    options.imagePath = "C:\\TEST\\tests.exe";
    ASSERT_TRUE(winsim::Attach(options, error)) << error;
}

inline uint64_t FileTimeValue(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline uint64_t NowFileTime()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return FileTimeValue(now);
}

} // namespace kernel_test
