// The x86-64 program beside the 32-bit one, as the simulated machine runs it: the same
// program once more, as a process of its own (sim::SetProgramImage), with a fresh
// installer object that finds the setup medium from its own path. The 32-bit program
// only waits for it; its installer object is put back when the sibling ends.
#pragma once

#include "installer/PrinterInstaller.h"
#include "afx/afx.h"
#include "platform/kernel.h"

namespace simulator {

inline DWORD RunProgramAsSibling()
{
    CPrinterInstaller starter = g_Installer;
    g_Installer = CPrinterInstaller();
    DWORD exitCode = static_cast<DWORD>(AfxRunApplication(::GetModuleHandleW(nullptr)));
    g_Installer = starter;
    return exitCode;
}

}  // namespace simulator
