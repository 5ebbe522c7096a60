// Test fixture: a fresh simulated machine for every test, and the wizard program
// run on its own user-interface thread.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "detect/DeviceIdRequest.h"
#include "installer/PrinterInstaller.h"
#include "afx/afx.h"
#include "platform/kernel.h"
#include "platform/sim/control/machine.h"
#include "platform/sim/control/ui.h"
#include "platform/sim/control/verifier.h"
#include "platform/text.h"

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { FreshMachine(); }
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
        FreshMachine();
    }

    // A fresh machine, and the program's process-wide state as a new process has it:
    // device requests the program kept for a device that ignored their cancellation
    // belonged to the machine that was.
    static void FreshMachine()
    {
        sim::ResetMachine();
        devid::ForgetKeptRequests();
    }

    // Starts the wizard as the program starts: the installer built anew from the
    // machine's program path, then the application's start-up.
    static void StartWizard()
    {
        g_Installer = CPrinterInstaller();
        sim::ui::StartProgram([] { return AfxRunApplication(::GetModuleHandleW(nullptr)); });
    }

    static bool Stable() { return sim::ui::WaitStable(std::chrono::seconds(10)); }

    // The contract violations recorded so far, as "FUNCTION: RULE (VALUES)", which are
    // then forgotten: for a test that breaks a rule on purpose.
    static std::vector<std::string> TakeViolations()
    {
        std::vector<std::string> texts;
        for (const sim::Violation& v : sim::TakeViolations()) texts.push_back(v.Text());
        return texts;
    }
    // The same, by function only.
    static std::vector<std::string> TakeViolatedFunctions()
    {
        std::vector<std::string> functions;
        for (const sim::Violation& v : sim::TakeViolations()) functions.push_back(v.function);
        return functions;
    }

    static std::string Utf8(const std::u16string& s) { return text::ToUtf8(s); }
    static std::u16string U16(const char* s) { return text::FromUtf8(s); }
};
