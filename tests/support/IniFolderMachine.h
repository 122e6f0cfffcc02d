// A fresh machine whose scratch folder holds the INI files a test writes, for the configuration reader.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "FileText.h"
#include "ProductMachine.h"

class IniFolderMachine : public ProductMachine
{
protected:
    void WriteIni(const std::string& name, const std::string& text)
    {
        ASSERT_TRUE(WriteWholeFile(ScratchFolder() + "\\" + name, text));
    }

    static std::string Read(const std::string& path)
    {
        std::string content;
        ReadWholeFile(path, content);
        return content;
    }
};
