// CPrinterInstaller: the setup's one stateful object. It knows where the setup
// medium lies, holds what the user chose in the wizard, and carries every
// catalogue, detection, spooler and driver operation. One instance, g_Installer,
// lives for the whole run.
#pragma once

#include <vector>

#include "installer/step_log.h"
#include "afx/afx.h"
#include "platform/types.h"

class CPrinterInstaller {
public:
    // Capacities in UTF-16 code units, terminating NUL included.
    static constexpr int kPathCapacity = 260;
    static constexpr int kNameCapacity = 200;

    // The results the operations report, with the values the design fixes: 1 for
    // success and 0 for failure; GetPrinterType's 1 (24-pin), 2 (9-pin) and -1 (none);
    // the -1 of a count whose enumeration failed (FindInstalledPrinters).
    static constexpr int kResultOk = 1;
    static constexpr int kResultFailed = 0;
    static constexpr int kType24Pin = 1;
    static constexpr int kType9Pin = 2;
    static constexpr int kNoType = -1;
    static constexpr int kEnumerationFailed = -1;

    CPrinterInstaller();
    ~CPrinterInstaller() = default;

    // --- construction and the setup medium ------------------------------------------
    void Init();
    void LocateSetupDir();
    // Points the object at the setup medium in another directory (a backslash is
    // added when missing) and builds the medium's paths from it, as LocateSetupDir
    // and the construction do from the program's own location. For tools that judge a
    // medium with the program's readers; the wizard itself never calls it. Returns the
    // copy's status, 0 when the paths were built.
    int SetSetupDir(LPCWSTR directory);
    void BuildInfoFilePath();
    void BuildDriverInfPath();

    // --- INI readers and keyed catalogue look-ups ------------------------------------
    int ReadSection(LPCWSTR section, LPCWSTR file, LPWSTR buffer, int capacity);
    int ReadValue(LPCWSTR section, LPCWSTR key, LPCWSTR file, LPWSTR buffer, int capacity);
    int GetPrinterType(LPCWSTR printerName);
    int GetPrinterDisplayName(LPCWSTR model, LPWSTR out, int capacity);

    // --- catalogue lists ---------------------------------------------------------------
    int GetSeriesList(CStringList& list);
    int GetSeriesModels(LPCWSTR series, CStringList& list);
    int FindSeriesOfModel(CString& series, CString model);

    // --- the user's choices ------------------------------------------------------------
    int SetPrinterName(LPCWSTR name);
    int GetPrinterName(LPWSTR out, int capacity) const;
    int SetPortName(LPCWSTR port);
    int GetPortName(LPWSTR out, int capacity) const;
    void SetSetDefault(int value);
    int GetSetDefault() const { return m_bSetDefault; }
    void SetPrintTestPage(int value);
    int GetPrintTestPage() const { return m_bPrintTestPage; }

    // --- detection ---------------------------------------------------------------------
    BOOL DetectUsbModel(CString& model);
    BOOL GetPortList(CStringList& ports);

    // --- printer-UI commands -----------------------------------------------------------
    int RunRundll32(LPCWSTR parameters);
    int InstallPrinter(LPCWSTR name = nullptr, LPCWSTR port = nullptr);
    int SetDefaultPrinter(LPCWSTR name = nullptr);
    int PrintTestPage(LPCWSTR name = nullptr);

    // --- Plug and Play driver update ---------------------------------------------------
    int FindHardwareId(CString infPath, CString quotedName, int quotedLength, BYTE* idBuffer);
    int InstallPnpDriver();

    // --- existing printers -------------------------------------------------------------
    int FindInstalledPrinters(LPCWSTR name, CStringList& list);
    int DeletePrinterAndDriver(LPCWSTR name);
    int PurgePrinter(HANDLE printer);
    int PrinterExists(LPCWSTR name);
    int ReenumerateDevices();

    // --- the installation --------------------------------------------------------------
    int Install();

    // --- the road of an installation, the finish page's and the unattended one's -------
    enum RemovalOutcome {
        kNothingToRemove,    // no printer of exactly the chosen name could be opened
        kRemoved,            // the name's family was removed (as far as it could be)
        kRemovalNotStarted,  // its worker could not be started: nothing was removed
    };
    // When a printer of the chosen name is installed: removes it and its copies, each
    // with its driver, on a worker while this thread waits holding that printer open;
    // then closes it and, when the close succeeded, re-scans the devices.
    // `beforeRemoval(context)` runs on this thread just before the worker starts.
    RemovalOutcome RemoveExistingFamily(void (*beforeRemoval)(void* context) = nullptr, void* context = nullptr);
    // Install, then the default printer and the test page as the flags say: 1 when
    // Install succeeded, else 0.
    int InstallAndFinish();

    // --- the checks of a run nobody watches (installer/printer_checks.cpp) ---------------
    struct InstalledPrinter {
        CString name, driver, port;
        DWORD jobs = 0;  // queued jobs
    };
    // The local printers of the name's family (the name and its copy names, as
    // FindInstalledPrinters takes them) with their driver, port and queued jobs; their
    // count, or -1 when the local printers cannot be listed.
    int ListFamily(LPCWSTR name, std::vector<InstalledPrinter>& family);
    enum Placement {
        kInPlace,     // the printer is there as asked, alone of its family
        kAbsent,      // no printer of the name, and no copy of it
        kNotAsAsked,  // there, but on another port or driver, or beside a copy; or unknown
    };
    // Whether a printer of the name (letter case aside) stands on the port with the
    // catalogue's driver, which bears the printer's name (letter case aside), as
    // GetPrinterW (level 2) tells, with no copy of it beside it. `why` says what is not
    // as asked.
    Placement CheckPlacement(LPCWSTR name, LPCWSTR port, WString* why);
    // 1 when the driver INF (BuildDriverInfPath) can be read and has a model line for
    // the chosen printer (letter case aside, as the system reads it); else 0 with why.
    int InfListsPrinter(WString* why);
    // Deletes the driver of the name and its files; 1 when it is gone or was never there,
    // else 0 with the error.
    int DeleteDriver(LPCWSTR name, DWORD* error);
    // 1 when the user's default printer is the one of that name (letter case aside).
    int IsDefaultPrinter(LPCWSTR name);
    // Whether the last rundll32 the installer ran started, ended within its wait and
    // ended with 0.
    int GetLastRundll32Succeeded() const { return m_bLastRundll32Succeeded; }

    // --- unattended runs and the step log -------------------------------------------------
    // Quiet: a launcher error is reported to the step log instead of a message box, the
    // installation command carries /q, and the Plug and Play driver update fails rather
    // than ask anything (INSTALLFLAG_NONINTERACTIVE). Off unless the program runs
    // unattended.
    void SetQuiet(int value) { m_bQuiet = value == 1 ? 1 : 0; }
    // Whether the last Plug and Play driver update that succeeded asked for a restart.
    int GetRebootRequired() const { return m_bRebootRequired; }
    void SetStepLog(CStepLog* log) { m_pStepLog = log; }
    // Reports one step (formatted as text::Format) to the step log, if there is one.
    void LogStep(LPCWSTR format, ...) const;

    // Read-only views of the fields, for the pages' display and for tests.
    LPCWSTR SetupDir() const { return m_szSetupDir; }
    LPCWSTR InfoFile() const { return m_szInfoFile; }
    LPCWSTR DriverInf() const { return m_szDriverInf; }
    LPCWSTR PrinterName() const { return m_szPrinterName; }
    LPCWSTR PortName() const { return m_szPortName; }

private:
    WCHAR m_szSetupDir[kPathCapacity];
    WCHAR m_szInfoFile[kPathCapacity];
    WCHAR m_szDriverInf[kPathCapacity];
    WCHAR m_szPrinterName[kNameCapacity];
    WCHAR m_szPortName[kNameCapacity];
    int m_bSetDefault;
    int m_bPrintTestPage;
    int m_bQuiet;
    int m_bRebootRequired;
    int m_bLastRundll32Succeeded;
    CStepLog* m_pStepLog;
};

extern CPrinterInstaller g_Installer;
