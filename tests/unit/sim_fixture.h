// Test fixture: a fresh simulated machine for every test, and the wizard program
// run on its own user-interface thread.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "installer/PrinterInstaller.h"
#include "platform/afx.h"
#include "platform/kernel.h"
#include "platform/sim/control/machine.h"
#include "platform/sim/control/ui.h"
#include "platform/text.h"

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { sim::ResetMachine(); }
    void TearDown() override
    {
        if (sim::ui::ProgramRunning()) {
            // A test that failed half-way: close whatever is open so the next starts clean.
            for (int i = 0; i < 20 && sim::ui::ProgramRunning(); ++i) {
                sim::ui::AnswerBox(IDOK);
                sim::ui::AnswerBox(IDCANCEL);
                sim::ui::CloseSheet();
                sim::ui::WaitProgramEnd(std::chrono::milliseconds(200));
            }
        }
        sim::ResetMachine();
    }

    // Starts the wizard as the program starts: the installer built anew from the
    // machine's program path, then the application's start-up.
    static void StartWizard()
    {
        g_Installer = CPrinterInstaller();
        sim::ui::StartProgram([] { return AfxRunApplication(::GetModuleHandleW(nullptr)); });
    }

    static bool Stable() { return sim::ui::WaitStable(std::chrono::seconds(10)); }

    static std::string Utf8(const std::u16string& s) { return text::ToUtf8(s); }
    static std::u16string U16(const char* s) { return text::FromUtf8(s); }
};
