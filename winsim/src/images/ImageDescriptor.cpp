#include "ImageDescriptor.h"

#include <sstream>

namespace winsim
{

std::string ImageDescriptor::Format() const
{
    std::string text = std::string(kMagic) + "\r\n";
    text += "Kind=" + kind + "\r\n";
    text += "Program=" + program + "\r\n";
    text += "Machine=" + machine + "\r\n";
    for (const auto& [name, value] : versionFields)
        text += name + "=" + value + "\r\n";
    return text;
}

bool ImageDescriptor::Parse(const std::string& text, ImageDescriptor& image, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    auto chomp = [](std::string& s)
    {
        while (!s.empty() && (s.back() == '\r' || s.back() == '\n'))
            s.pop_back();
    };
    if (!std::getline(lines, line) || (chomp(line), line != kMagic))
    {
        error = "not an image descriptor";
        return false;
    }
    image = ImageDescriptor();
    while (std::getline(lines, line))
    {
        chomp(line);
        if (line.empty())
            continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos)
        {
            error = "bad line in image descriptor: " + line;
            return false;
        }
        std::string name = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        if (name == "Kind")
            image.kind = value;
        else if (name == "Program")
            image.program = value;
        else if (name == "Machine")
            image.machine = value;
        else
            image.versionFields[name] = value;
    }
    if (image.program.empty())
    {
        error = "image descriptor names no program";
        return false;
    }
    return true;
}

} // namespace winsim
