// Helpers shared by the resource tests: machines with another UI language, and strings as LoadStringA
// gives them.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "profile/HostFiles.h"
#include "windows.h"
#include "winsim/winsim.h"

namespace resource_test
{

// A machine made from a copy of profiles/xp-sp2 whose machine.ini names another UI language, attached to the
// test process for the scope of the object (the fixture's own machine is detached first).
class LanguageMachine
{
public:
    explicit LanguageMachine(uint16_t language)
    {
        static std::atomic<int> counter{0};
        const char* temp = std::getenv("TMPDIR");
        m_root = std::string(temp && *temp ? temp : "/tmp") + "/winsim-language-" + std::to_string(getpid()) + "-" +
                 std::to_string(++counter);
        const std::string profile = m_root + "/profile";
        std::string error, ini;
        winsim::HostRemoveTree(m_root);
        EXPECT_TRUE(winsim::HostCopyTree(std::string(DRVSETUP_SOURCE_DIR) + "/profiles/xp-sp2", profile, error))
            << error;
        EXPECT_TRUE(winsim::HostReadFile(profile + "/machine.ini", ini));
        const size_t at = ini.find("UILanguage=0x0409");
        EXPECT_NE(std::string::npos, at);
        if (at == std::string::npos)
            return;
        char line[32];
        std::snprintf(line, sizeof(line), "UILanguage=0x%04X", language);
        ini.replace(at, 17, line);
        EXPECT_TRUE(winsim::HostWriteFile(profile + "/machine.ini", ini));
        EXPECT_TRUE(winsim::CreateMachine(profile, m_root + "/machine", error)) << error;
        if (winsim::IsAttached())
            winsim::Detach(0);
        winsim::AttachOptions options;
        options.machineDir = m_root + "/machine";
        options.imagePath = "C:\\TEST\\tests.exe";
        m_attached = winsim::Attach(options, error);
        EXPECT_TRUE(m_attached) << error;
    }
    ~LanguageMachine()
    {
        if (m_attached)
            winsim::Detach(0);
        winsim::HostRemoveTree(m_root);
    }
    LanguageMachine(const LanguageMachine&) = delete;
    LanguageMachine& operator=(const LanguageMachine&) = delete;

    bool Attached() const { return m_attached; }

private:
    std::string m_root;
    bool m_attached = false;
};

// LoadStringA of the program's string id into a buffer of that many characters; "<error N>" when it
// returns 0 without a string.
inline std::string Load(UINT id, int size = 512, HMODULE module = nullptr)
{
    std::string buffer(static_cast<size_t>(size) + 1, '\x7f');
    SetLastError(0xDEADBEEF);
    const int length = LoadStringA(module, id, buffer.data(), size);
    if (length == 0)
        return "<error " + std::to_string(GetLastError()) + ">";
    EXPECT_EQ('\0', buffer[static_cast<size_t>(length)]) << "string " << id << " is not terminated";
    return buffer.substr(0, static_cast<size_t>(length));
}

} // namespace resource_test
