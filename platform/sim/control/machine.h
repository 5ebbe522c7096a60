// The control API of the simulated Windows machine: what tests and the simulator
// program use to set the machine up, inject failures and read back what the
// program did. The program itself never includes this header.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "platform/sim/api/win_types.h"
#include "platform/sim/state/machine_shared.h"

namespace sim {

// Puts every part of the machine back to its initial state: no windows, no
// printers, no devices, default program path, real-time clock, empty log.
// First ends the program (sim::EndProgram in control/verifier.h): waits (bounded)
// for threads the previous run left behind and records what it left open as
// violations, which stay recorded until cleared.
void ResetMachine();

// --- time --------------------------------------------------------------------------
// Every timed wait of the machine (Sleep, waits with a time-out, timers, device
// delays, program run times) is multiplied by the scale; 1.0 is real time.
void SetTimeScale(double scale);
// The machine's clock (GetLocalTime) stands still at that local time, so that what
// the program stamps with it reads the same on every run; at reset it is the host's
// local time.
void StopClock(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second);

// --- the program and its files -------------------------------------------------------
// What GetModuleFileNameW(NULL, ...) answers; a Windows path such as D:\Setup.exe.
void SetModulePath(const std::u16string& windowsPath);
// The process's current folder (a Windows path such as D:\Tools). At reset it is the
// program's own folder, as when a user starts the program from there.
void SetCurrentFolder(const std::u16string& windowsPath);
// Maps a drive letter of the machine to a host folder; paths below it are looked up
// without regard to letter case, as on Windows.
void MapDrive(char letter, const std::string& hostFolder);
// A file held in memory: the profile readers (GetPrivateProfileSectionW and
// GetPrivateProfileStringW), CreateFileW with ReadFile, and GetFileAttributesW find
// these bytes at this Windows path, letter case ignored, before they look at a mapped
// folder. Lets a fuzzer hand the readers a new file for every input without touching
// the disk. ResetMachine drops them.
void SetMemoryFile(const std::u16string& windowsPath, const std::string& bytes);
// The files the program wrote, with their bytes, in the order it created or first
// opened them. The program's writes (CreateFileW for writing, WriteFile) go to memory
// files: the file's folder must exist (on a mapped drive), an existing host file is
// read into memory first, and the host folders are never written.
struct WrittenFile {
    std::u16string path;
    std::string bytes;
};
std::vector<WrittenFile> WrittenFiles();
// Whether the program runs as a 32-bit process on 64-bit Windows.
void SetWow64(bool wow64);
// The account the program runs as: an administrator's own (at reset), or the local
// system account (the token's user S-1-5-18), as deployment tools run programs. Its
// temporary folder (GetTempPathW) follows: kUserTempFolder or kSystemTempFolder
// (state/machine_shared.h), which exist whichever drives are mapped, so that the
// program can write files there.
void SetSystemAccount(bool system);
// The mode the program last gave SetErrorMode (0 at reset).
UINT ErrorMode();
// The machine's ANSI code page (what CP_ACP and CP_THREAD_ACP mean, and how the
// profile functions read a file without a UTF-16 byte-order mark); 936 at reset.
void SetCodePage(UINT codePage);

// --- failures ----------------------------------------------------------------------
// Makes calls of the named platform function fail with the given error: the next
// `times` calls, or every call when times is negative.
void FailCall(const std::string& function, DWORD error, int times = -1);

// --- what the program did ------------------------------------------------------------
// One line per observable action (a command line run, a driver update, a deletion,
// a message box), in order. Lines are UTF-8.
std::vector<std::string> LogLines();
void ClearLog();

// Text the program wrote to its standard output and to its standard error.
std::string StdoutText();
std::string StderrText();

// --- handles and threads -------------------------------------------------------------
// Open kernel handles of the given kind ("event", "thread", "process", "file",
// "device", ...), or of every kind when kind is empty.
size_t OpenHandleCount(const std::string& kind = std::string());
// Threads waiting on the handle (WaitForSingleObject, GetOverlappedResult) right now.
int WaitersOn(HANDLE handle);
// Waits until no thread started with CreateThread (and no simulated process) runs;
// false on time-out.
bool WaitForThreads(std::chrono::milliseconds timeout);

}  // namespace sim
