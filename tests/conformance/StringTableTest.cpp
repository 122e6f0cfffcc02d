// The program's own string table, read as the program reads it: LoadStringA on its image's handle. The
// English texts on an English machine (winsim's xp-sp2, and Wine in its default locale); the Windows build
// carries the same compiled resources.
#include <gtest/gtest.h>

#include <string>

#include "TestMachine.h"
#include "platform/win32.h"

namespace
{

class StringTableTest : public TestMachine
{
protected:
    static std::string Load(UINT id, int size = 256)
    {
        char buffer[256];
        SetLastError(ERROR_SUCCESS);
        const int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, size);
        if (length <= 0)
            return "<error " + std::to_string(GetLastError()) + ">";
        return std::string(buffer, static_cast<size_t>(length));
    }
};

TEST_F(StringTableTest, AdministratorAndWarningTexts)
{
    EXPECT_EQ("You must have Administrative privileges to install this product.", Load(29));
    EXPECT_EQ("You must have Administrative privileges to uninstall this product.", Load(30));
    EXPECT_EQ("WARNING", Load(32));
}

TEST_F(StringTableTest, TextLongerThanTheBufferIsCut)
{
    EXPECT_EQ("WARN", Load(32, 5));
}

} // namespace
