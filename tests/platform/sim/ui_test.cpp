// The control API's resting points: what a test or a script reads once the machine
// holds still must be what the program has finished doing, never a half-handled queue.
#include <chrono>
#include <thread>

#include "platform/windowing.h"
#include "res/resource.h"
#include "tests/support/sim_fixture.h"

namespace {

DWORD WINAPI ShowWorkerBox(LPVOID)
{
    ::MessageBoxW(nullptr, u"worker", u"ERROR", MB_OK);
    return 0;
}

// On Finish the page posts its button change and starts a worker that opens a box at
// once. Then it goes back to its message loop late, as on a loaded machine, or it
// waits for the worker on its handle, as the page waits for the removal.
bool g_waitForWorker = false;

INT_PTR CALLBACK LateFinishPage(HWND page, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg != WM_NOTIFY) return msg == WM_INITDIALOG;
    switch (reinterpret_cast<NMHDR*>(lParam)->code) {
    case PSN_SETACTIVE: ::PostMessageW(::GetParent(page), PSM_SETWIZBUTTONS, 0, PSWIZB_FINISH); break;
    case PSN_WIZFINISH: {
        ::PostMessageW(::GetParent(page), PSM_SETWIZBUTTONS, 0, PSWIZB_DISABLEDFINISH);
        HANDLE worker = ::CreateThread(nullptr, 0, &ShowWorkerBox, nullptr, 0, nullptr);
        if (worker && g_waitForWorker) ::WaitForSingleObject(worker, INFINITE);
        if (worker) ::CloseHandle(worker);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::SetWindowLongPtrW(page, DWLP_MSGRESULT, TRUE);  // the sheet stays
        return TRUE;
    }
    default: return FALSE;
    }
    ::SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
    return TRUE;
}

}  // namespace

class UiControlTest : public SimTest {};

void StartLateFinishSheet()
{
    sim::ui::StartProgram([] {
        PROPSHEETPAGEW page = {};
        page.dwSize = sizeof(page);
        page.pszTemplate = MAKEINTRESOURCEW(IDD_STEP5);
        page.pfnDlgProc = &LateFinishPage;
        PROPSHEETHEADERW header = {};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD;
        header.nPages = 1;
        header.ppsp = &page;
        return static_cast<int>(::PropertySheetW(&header));
    });
}

TEST_F(UiControlTest, AWorkersBoxRestsOnceTheInterfaceThreadHasHandledItsQueueOrWaitsOnAHandle)
{
    for (bool waitForWorker : {false, true}) {
        SCOPED_TRACE(waitForWorker ? "the page waits for the worker" : "the page returns late");
        g_waitForWorker = waitForWorker;
        StartLateFinishSheet();
        ASSERT_TRUE(Stable());
        ASSERT_TRUE(sim::ui::Press(sim::ui::Button::Finish));
        ASSERT_TRUE(Stable()) << "a box that waits for the user is a resting point";
        sim::ui::Snapshot s = sim::ui::Take();
        ASSERT_EQ(s.boxes.size(), 1u);
        EXPECT_TRUE(s.finish.visible);
        // Blocked on the worker, the page has not yet handled its own button change.
        EXPECT_EQ(s.finish.enabled, waitForWorker) << "the posted button change is shown with the box";

        ASSERT_TRUE(sim::ui::AnswerBox(IDOK));
        ASSERT_TRUE(Stable());
        EXPECT_FALSE(sim::ui::Take().finish.enabled);
        ASSERT_TRUE(sim::ui::CloseSheet());
        ASSERT_TRUE(sim::ui::WaitProgramEnd(std::chrono::seconds(5)));
        FreshMachine();
    }
}
