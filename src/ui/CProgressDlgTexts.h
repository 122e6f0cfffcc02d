// The texts both progress windows show: the wizard's title, and what the phase is doing.
#pragma once

#include "platform/win32.h"

class CProgBarNoDoModal;

class CProgressDlgTexts
{
public:
    static UINT TitleId(const CProgBarNoDoModal& progress);
    static UINT StatusId(const CProgBarNoDoModal& progress);
};
