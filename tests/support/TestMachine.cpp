#include "TestMachine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>

#include "windows.h"
#include "winsim/winsim.h"

namespace
{

int RunShell(const std::string& command)
{
    return std::system(command.c_str());
}

std::string Quote(const std::string& path)
{
    std::string quoted = "'";
    for (char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The folder of this test process's machines, removed when the process ends.
class TestRootFolder
{
public:
    TestRootFolder()
    {
        // Machines live in memory where the host has it: the store commits on every changing call, and
        // a disk turns that into wait time the program under test never sees.
        const char* base = std::getenv("TMPDIR");
        struct stat shm
        {
        };
        std::string folder = base && *base ? base : stat("/dev/shm", &shm) == 0 ? "/dev/shm" : "/tmp";
        m_path = folder + "/winsim-tests-" + std::to_string(getpid());
        // A folder of this name belongs to an earlier process with the same id that did not end cleanly.
        RunShell("rm -rf " + Quote(m_path));
        mkdir(m_path.c_str(), 0755);
    }
    ~TestRootFolder() { RunShell("rm -rf " + Quote(m_path)); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

const std::string& TestRoot()
{
    static TestRootFolder root;
    return root.Path();
}

// Making a machine from a profile imports its registry files; each test copies a machine made once.
std::string TemplateFor(const std::string& profile)
{
    static std::mutex mutex;
    static std::map<std::string, std::string> templates;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = templates.find(profile);
    if (found != templates.end())
        return found->second;
    static int templates_made = 0;
    std::string dir = TestRoot() + "/template-" + std::to_string(++templates_made);
    std::string source = profile[0] == '/' ? profile : std::string(DRVSETUP_SOURCE_DIR) + "/profiles/" + profile;
    std::string error;
    if (!winsim::CreateMachine(source, dir, error))
    {
        ADD_FAILURE() << "cannot create machine from profile " << profile << ": " << error;
        return {};
    }
    templates.emplace(profile, dir);
    return dir;
}

} // namespace

std::string TestMachine::DeriveProfile(const std::string& base, const std::string& name, const std::string& extraIni)
{
    std::string dir = TestRoot() + "/profile-" + name;
    std::string command = "rm -rf " + Quote(dir) + " && cp -r " +
                          Quote(std::string(DRVSETUP_SOURCE_DIR) + "/profiles/" + base) + " " + Quote(dir) +
                          " && printf '%s' " + Quote("\n" + extraIni + "\n") + " >> " + Quote(dir + "/machine.ini");
    return RunShell(command) == 0 ? dir : std::string();
}

std::string TestMachine::MakeMachine(const std::string& profile)
{
    static std::atomic<int> counter{0};
    std::string source = TemplateFor(profile);
    if (source.empty())
        return {};
    std::string dir = TestRoot() + "/m" + std::to_string(++counter);
    if (RunShell("cp -a " + Quote(source) + " " + Quote(dir)) != 0)
        return {};
    return dir;
}

void TestMachine::SetUp()
{
    m_machineDir = MakeMachine(Profile());
    ASSERT_FALSE(m_machineDir.empty());
    winsim::AttachOptions options;
    options.machineDir = m_machineDir;
    options.imagePath = "C:\\TEST\\tests.exe";
    std::string error;
    ASSERT_TRUE(winsim::Attach(options, error)) << error;
    m_scratchFolder = "C:\\TEST";
    ASSERT_TRUE(CreateDirectoryA(m_scratchFolder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    m_scratchKey = "Software\\drvsetup-tests";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, m_scratchKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    RegCloseKey(key);
}

void TestMachine::TearDown()
{
    if (winsim::IsAttached())
        winsim::Detach(0);
    if (!m_machineDir.empty())
        RunShell("rm -rf " + Quote(m_machineDir));
}
