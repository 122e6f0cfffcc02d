#include "InfDriverList.h"

#include <cstdio>

#include "core/MachineIdentity.h"

namespace winsim
{

namespace
{

// Field `field` of a [Version] line.
std::string VersionValue(const InfModel& model, const char* key, uint32_t field = 1)
{
    const uint32_t version = model.FindSection("Version");
    if (version == InfModel::kNone)
        return {};
    const uint32_t line = model.FindKeyLine(version, key, 0);
    if (line == InfModel::kNone)
        return {};
    const InfModel::Line& found = model.LineAt(version, line);
    return found.fieldCount >= field ? model.FieldText(found, field) : std::string();
}

std::string ArchName(const MachineIdentity& identity)
{
    return identity.Is64Bit() ? "NTAMD64" : "NTX86";
}

// How well a [Manufacturer] decoration ("NTx86.5.1", "NT", "NTamd64") fits the machine: 0 when it does not
// apply, higher for a more specific one.
int DecorationFit(const std::string& decoration, const MachineIdentity& identity)
{
    if (!identity.IsNT())
        return 0;
    const std::string upper = InfModel::Upper(decoration);
    const size_t dot = upper.find('.');
    const std::string platform = upper.substr(0, dot);
    int fit = 0;
    if (platform == "NT")
        fit = 1;
    else if (platform == ArchName(identity))
        fit = 2;
    else
        return 0;
    if (dot != std::string::npos)
    {
        unsigned major = 0;
        unsigned minor = 0;
        if (std::sscanf(upper.c_str() + dot + 1, "%u.%u", &major, &minor) < 1)
            return 0;
        if (major > identity.major || (major == identity.major && minor > identity.minor))
            return 0;
        fit += 2 + static_cast<int>(major * 100 + minor);
    }
    return fit;
}

// DriverVer = mm/dd/yyyy[,w.x.y.z]: a malformed date ranks as the oldest.
void ParseDriverVer(const std::string& text, InfDriverList& list)
{
    const size_t comma = text.find(',');
    const std::string date = text.substr(0, comma);
    unsigned month = 0;
    unsigned day = 0;
    unsigned year = 0;
    char tail = 0;
    if (std::sscanf(date.c_str(), "%u/%u/%u%c", &month, &day, &year, &tail) == 3 && month >= 1 && month <= 12 &&
        day >= 1 && day <= 31 && year >= 1980 && year <= 9999)
    {
        list.date = std::to_string(month) + "-" + std::to_string(day) + "-" + std::to_string(year);
        list.dateRank = static_cast<uint64_t>(year) * 10000 + month * 100 + day;
    }
    if (comma == std::string::npos)
        return;
    std::string version = text.substr(comma + 1);
    while (!version.empty() && version.front() == ' ')
        version.erase(version.begin());
    if (version.empty())
        return;
    unsigned parts[4] = {0, 0, 0, 0};
    const int count = std::sscanf(version.c_str(), "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]);
    if (count < 1)
        return;
    list.version = version;
    for (unsigned part : parts)
        list.versionRank = (list.versionRank << 16) | (part & 0xFFFF);
}

void ReadModels(const InfModel& model, uint32_t section, const std::string& manufacturer, InfDriverList& list)
{
    std::string scratch;
    for (uint32_t i = 0; i < model.LineCount(section); ++i)
    {
        const InfModel::Line& line = model.LineAt(section, i);
        if (!line.hasKey || line.fieldCount < 2)
            continue;
        InfDriver driver;
        driver.description = model.FieldText(line, 0);
        driver.manufacturer = manufacturer;
        driver.installSection = model.FieldText(line, 1);
        for (uint32_t f = 2; f <= line.fieldCount; ++f)
        {
            std::string id = InfModel::Upper(model.FieldView(line, f, scratch));
            if (!id.empty())
                driver.ids.push_back(std::move(id));
        }
        if (!driver.ids.empty() && !driver.installSection.empty())
            list.drivers.push_back(std::move(driver));
    }
}

} // namespace

InfDriverList InfDriverList::Read(const InfModel& model, const MachineIdentity& identity)
{
    InfDriverList list;
    list.className = VersionValue(model, "Class");
    list.classGuid = InfModel::Upper(VersionValue(model, "ClassGUID"));
    list.provider = VersionValue(model, "Provider");
    ParseDriverVer(VersionValue(model, "DriverVer") + "," + VersionValue(model, "DriverVer", 2), list);
    list.catalog = VersionValue(model, ("CatalogFile." + ArchName(identity)).c_str());
    if (list.catalog.empty())
        list.catalog = VersionValue(model, "CatalogFile");

    const uint32_t manufacturers = model.FindSection("Manufacturer");
    if (manufacturers == InfModel::kNone)
        return list;
    for (uint32_t i = 0; i < model.LineCount(manufacturers); ++i)
    {
        const InfModel::Line& line = model.LineAt(manufacturers, i);
        if (line.fieldCount < 1)
            continue;
        const std::string name = model.FieldText(line, 0);
        const std::string models = model.FieldText(line, 1);
        std::string best;
        int bestFit = 0;
        for (uint32_t f = 2; f <= line.fieldCount; ++f)
        {
            const std::string decoration = model.FieldText(line, f);
            const int fit = DecorationFit(decoration, identity);
            if (fit > bestFit && model.FindSection(models + "." + decoration) != InfModel::kNone)
            {
                bestFit = fit;
                best = decoration;
            }
        }
        // A decorated entry that fits none of them leaves this platform without the manufacturer's models,
        // unless the plain section exists.
        const uint32_t section = model.FindSection(best.empty() ? models : models + "." + best);
        if (section != InfModel::kNone)
            ReadModels(model, section, name, list);
    }
    return list;
}

std::string InfDriverList::DecoratedSection(const InfModel& model, const MachineIdentity& identity,
                                            const std::string& section)
{
    std::vector<std::string> candidates;
    if (identity.IsNT())
        candidates = {section + "." + ArchName(identity), section + ".NT", section};
    else
        candidates = {section};
    for (const std::string& name : candidates)
    {
        const uint32_t found = model.FindSection(name);
        if (found != InfModel::kNone)
            return model.SectionAt(found).name;
    }
    return {};
}

} // namespace winsim
