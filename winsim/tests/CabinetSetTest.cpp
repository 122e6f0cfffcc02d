// A file that goes on in the next cabinet of a set: SPFILENOTIFY_NEEDNEWCABINET, the callback's answers to
// it, and the second cabinet walked on its own. gcab writes no sets, so the test writes a stored two-cabinet
// set itself: ONE.CAB holds A.TXT and the start of B.TXT, whose last data block is split with TWO.CAB,
// which holds the rest of B.TXT and C.TXT in a folder of its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CabinetTestSupport.h"
#include "FileTestSupport.h"
#include "TestMachine.h"
#include "windows.h"
#include "setupapi.h"

using cab_test::Script;

namespace
{

const std::string kOne = "C:\\TEST\\ONE.CAB";
const std::string kTwo = "C:\\TEST\\TWO.CAB";
const std::string kOut = "C:\\OUT";
constexpr uint16_t kSetId = 0x1234;

struct Block
{
    std::string data;
    uint16_t uncompressed; // 0: the block goes on in the next cabinet
};

struct Entry
{
    std::string name;
    uint32_t size;
    uint32_t offset;
    uint16_t folder;
};

void Put(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A cabinet of stored folders without checksums, linked to the cabinets before and after it when named.
std::string Cabinet(uint16_t setId, uint16_t index, const std::string& prev, const std::string& next,
                    const std::vector<std::vector<Block>>& folders, const std::vector<Entry>& entries)
{
    std::string links;
    for (const std::string& name : {prev, next})
        links += name.empty() ? "" : name + '\0' + "Disk " + name + '\0';
    std::string files;
    for (const Entry& entry : entries)
    {
        Put(files, entry.size, 4);
        Put(files, entry.offset, 4);
        Put(files, entry.folder, 2);
        Put(files, 0x3905'50A6, 4); // date, time
        Put(files, 0x20, 2);
        files += entry.name + '\0';
    }
    const size_t filesAt = 36 + links.size() + 8 * folders.size();
    std::string table;
    std::string data;
    for (const std::vector<Block>& blocks : folders)
    {
        Put(table, static_cast<uint32_t>(filesAt + files.size() + data.size()), 4);
        Put(table, static_cast<uint32_t>(blocks.size()), 4); // block count, then 0: stored
        for (const Block& block : blocks)
        {
            Put(data, 0, 4);
            Put(data, static_cast<uint32_t>(block.data.size()), 2);
            Put(data, block.uncompressed, 2);
            data += block.data;
        }
    }
    std::string header = "MSCF";
    for (uint32_t field :
         {0u, static_cast<uint32_t>(filesAt + files.size() + data.size()), 0u, static_cast<uint32_t>(filesAt), 0u})
        Put(header, field, 4);
    Put(header, 0x0103, 2); // version 1.3
    Put(header, static_cast<uint32_t>(folders.size()), 2);
    Put(header, static_cast<uint32_t>(entries.size()), 2);
    Put(header, (prev.empty() ? 0 : 1) | (next.empty() ? 0 : 2), 2);
    Put(header, setId, 2);
    Put(header, index, 2);
    return header + links + table + files + data;
}

class CabinetSetTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        ASSERT_TRUE(CreateDirectoryA(kOut.c_str(), nullptr));
        const std::string b = m_b;
        // ONE.CAB: A (100 bytes) and 50 bytes of B in a whole block, then 100 bytes of B in the block split
        // with TWO.CAB, which has B's last 150 bytes.
        cab_test::PutBytes(MachineDir(), kOne,
                           Cabinet(kSetId, 0, "", "TWO.CAB", {{{m_a + b.substr(0, 50), 150}, {b.substr(50, 100), 0}}},
                                   {{"A.TXT", 100, 0, 0}, {"B.TXT", 300, 100, 0xFFFE}}));
        PutTwo(kTwo, kSetId);
    }

    void PutTwo(const std::string& path, uint16_t setId)
    {
        cab_test::PutBytes(MachineDir(), path,
                           Cabinet(setId, 1, "ONE.CAB", "", {{{m_b.substr(150), 250}}, {{m_c, 40}}},
                                   {{"B.TXT", 300, 100, 0xFFFD}, {"C.TXT", 40, 0, 1}}));
    }

    static std::string FileLine(const std::string& name, size_t size, const std::string& cabinet)
    {
        return "file " + name + "|" + std::to_string(size) + "|0x50A6|0x3905|0x20|0|" + cabinet;
    }

    const std::string m_a = std::string(100, 'a');
    const std::string m_b = SemiRandomData(300, 2);
    const std::string m_c = std::string(40, 'c');
};

TEST_F(CabinetSetTest, AFileGoingOnInTheNextCabinetAsksForItThenGoesOn)
{
    Script script;
    script.targetFolder = kOut;
    DWORD error = 0;
    ASSERT_TRUE(script.Iterate(kOne, error)) << error;
    EXPECT_EQ((std::vector<std::string>{
                  "info C:\\TEST\\|TWO.CAB|Disk TWO.CAB|4660|0",
                  FileLine("A.TXT", 100, kOne),
                  "done C:\\OUT\\A.TXT|" + kOne + "|0",
                  FileLine("B.TXT", 300, kOne),
                  "need C:\\TEST\\|TWO.CAB|Disk TWO.CAB|4660|1",
                  "info C:\\TEST\\|||4660|1",
                  "done C:\\OUT\\B.TXT|" + kTwo + "|0",
              }),
              script.log);
    EXPECT_EQ(m_a, file_test::ReadText(kOut + "\\A.TXT"));
    EXPECT_EQ(m_b, file_test::ReadText(kOut + "\\B.TXT"));
    // C.TXT starts in TWO.CAB: it is offered when that cabinet is walked, where B.TXT is not offered again.
    EXPECT_FALSE(file_test::Exists(kOut + "\\C.TXT"));

    Script second;
    second.targetFolder = kOut;
    ASSERT_TRUE(second.Iterate(kTwo, error)) << error;
    EXPECT_EQ((std::vector<std::string>{"info C:\\TEST\\|||4660|1", FileLine("C.TXT", 40, kTwo),
                                        "done C:\\OUT\\C.TXT|" + kTwo + "|0"}),
              second.log);
    EXPECT_EQ(m_c, file_test::ReadText(kOut + "\\C.TXT"));
}

TEST_F(CabinetSetTest, TheNextCabinetIsLookedForWhereTheCallbackSaysOnlyWhenItsDataIsNeeded)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\DISK2", nullptr));
    ASSERT_TRUE(MoveFileA(kTwo.c_str(), "C:\\DISK2\\TWO.CAB"));
    Script skipping;
    skipping.onFile = [](FILE_IN_CABINET_INFO_A& info)
    { return std::string(info.NameInCabinet) == "B.TXT" ? UINT(FILEOP_SKIP) : cab_test::ExtractBelow(kOut, info); };
    DWORD error = 0;
    ASSERT_TRUE(skipping.Iterate(kOne, error)) << error;
    EXPECT_EQ(4u, skipping.log.size());

    Script script;
    script.targetFolder = kOut;
    script.needNewPath = "C:\\DISK2";
    ASSERT_TRUE(script.Iterate(kOne, error)) << error;
    ASSERT_EQ(7u, script.log.size());
    EXPECT_EQ("info C:\\DISK2\\|||4660|1", script.log[5]);
    EXPECT_EQ("done C:\\OUT\\B.TXT|C:\\DISK2\\TWO.CAB|0", script.log[6]);
    EXPECT_EQ(m_b, file_test::ReadText(kOut + "\\B.TXT"));
}

TEST_F(CabinetSetTest, WithoutTheNextCabinetTheContinuedFileFails)
{
    struct Case
    {
        const char* what;
        std::function<void(Script&)> arrange;
        DWORD error;
    };
    const std::vector<Case> cases = {
        {"the callback gives an error", [](Script& s) { s.needReply = ERROR_CANCELLED; }, ERROR_CANCELLED},
        {"no next cabinet", [](Script&) { DeleteFileA(kTwo.c_str()); }, ERROR_FILE_NOT_FOUND},
        {"a cabinet of another set", [this](Script&) { PutTwo(kTwo, kSetId + 1); }, ERROR_INVALID_DATA},
        {"not a cabinet", [this](Script&) { cab_test::PutBytes(MachineDir(), kTwo, "not a cabinet"); },
         ERROR_INVALID_DATA},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        PutTwo(kTwo, kSetId);
        Script script;
        script.targetFolder = kOut;
        c.arrange(script);
        DWORD error = 0;
        EXPECT_FALSE(script.Iterate(kOne, error));
        EXPECT_EQ(c.error, error);
        ASSERT_EQ(6u, script.log.size());
        EXPECT_EQ("need C:\\TEST\\|TWO.CAB|Disk TWO.CAB|4660|1", script.log[4]);
        EXPECT_EQ("done C:\\OUT\\B.TXT|" + kOne + "|" + std::to_string(c.error), script.log[5]);
        EXPECT_EQ(m_a, file_test::ReadText(kOut + "\\A.TXT"));
        EXPECT_FALSE(file_test::Exists(kOut + "\\B.TXT"));
    }
}

} // namespace
