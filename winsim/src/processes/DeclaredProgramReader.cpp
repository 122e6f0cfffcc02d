#include "DeclaredProgramReader.h"

#include <sstream>

#include "core/ProfileValue.h"
#include "files/NameCase.h"
#include "profile/HostFiles.h"

namespace winsim
{

bool DeclaredProgramReader::Read(const std::string& path, std::vector<DeclaredProgram>& programs, std::string& error)
{
    std::string content;
    if (!HostReadFile(path, content))
    {
        error = path + ": cannot read the file";
        return false;
    }
    std::istringstream lines(content);
    std::string line;
    int number = 0;
    DeclaredProgram* current = nullptr;
    int sectionLine = 0;
    auto fail = [&](int at, const std::string& what)
    {
        error = path + ":" + std::to_string(at) + ": " + what;
        return false;
    };
    auto finish = [&]()
    {
        std::string what;
        if (current && !current->Check(what))
            return fail(sectionLine, what);
        return true;
    };
    while (std::getline(lines, line))
    {
        ++number;
        line = ProfileValue::Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[')
        {
            if (!finish())
                return false;
            current = nullptr;
            const std::string section = NameCase::Upper(ProfileValue::Trim(line.substr(1, line.size() - 2)));
            const bool boot = section.rfind("PROCESS.", 0) == 0;
            if (!boot && section.rfind("PROGRAM.", 0) != 0)
                continue;
            DeclaredProgram program;
            program.boot = boot;
            program.name = boot ? section : section.substr(8);
            if (ProfileValue::Trim(section.substr(8)).empty())
                return fail(number, "[" + section + "] needs a name after the dot");
            for (const DeclaredProgram& other : programs)
            {
                if (other.name == program.name)
                    return fail(number, "a second section for " + program.name);
            }
            programs.push_back(program);
            current = &programs.back();
            sectionLine = number;
            continue;
        }
        if (!current)
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            return fail(number, "expected name=value");
        std::string value = ProfileValue::WithoutComment(ProfileValue::Trim(line.substr(equals + 1)));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        std::string what;
        if (!current->Set(ProfileValue::Trim(line.substr(0, equals)), value, what))
            return fail(number, what);
    }
    return finish();
}

} // namespace winsim
