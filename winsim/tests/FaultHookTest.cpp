// Every function a built-in module exports asks the fault plan at entry, with the hook that matches what
// plans may ask of it: WINSIM_API_CALL for the functions that cannot fail, a failing one for the others.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "modules/BuiltinModules.h"
#include "winsim/winsim.h"

namespace
{

// The API sources, one after another.
std::string ApiSources()
{
    std::string all;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(DRVSETUP_SOURCE_DIR) + "/winsim/src/api"))
    {
        if (entry.path().extension() != ".cpp")
            continue;
        std::ifstream file(entry.path());
        std::stringstream text;
        text << file.rdbuf();
        all += text.str();
    }
    return all;
}

// The first lines of a function's body; empty when no definition is found.
std::string BodyStart(const std::string& sources, const std::string& name)
{
    size_t at = std::string::npos;
    for (const char* convention : {"WINAPI ", "APIENTRY ", "STDAPICALLTYPE "})
        at = std::min(at, sources.find(convention + name + "("));
    if (at == std::string::npos)
        return {};
    const size_t body = sources.find("\n{\n", at);
    if (body == std::string::npos)
        return {};
    size_t end = body + 3;
    for (int line = 0; line < 12 && end != std::string::npos; ++line)
        end = sources.find('\n', end + 1);
    return sources.substr(body, end == std::string::npos ? std::string::npos : end - body);
}

} // namespace

TEST(FaultHook, EveryExportedFunctionAsksThePlanAsItCanFail)
{
    const std::string sources = ApiSources();
    size_t checked = 0;
    for (const winsim::BuiltinModule& module : winsim::BuiltinModules::All())
    {
        for (const winsim::BuiltinExport& entry : module.Exports())
        {
            const std::string body = BodyStart(sources, entry.name);
            ASSERT_FALSE(body.empty()) << entry.name << " is not defined in winsim/src/api";
            std::string error;
            const bool canFail = winsim::CheckFaultPlan(entry.name, error);
            if (canFail)
                EXPECT_NE(std::string::npos, body.find("WINSIM_FAULT_POINT")) << entry.name << ":" << body;
            else
                EXPECT_NE(std::string::npos, body.find("WINSIM_API_CALL()")) << entry.name << ": " << error;
            ++checked;
        }
    }
    EXPECT_GT(checked, 100u);
}
