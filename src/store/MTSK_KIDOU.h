// The shell launcher: opens a document, folder or program through the shell.
#pragma once
#include <cstdint>
#include <string>

namespace velmora {

// What a launcher text names. A document or folder (the log folder, the help file) is
// only ever opened with the shell's default action, whatever its path holds: a folder
// named "app.exe backup" must not start "app.exe". A command may also be a program
// with arguments.
enum class LaunchAs { kDocument, kCommand };

// How a launcher text is opened. A command holding ".EXE " (any case) is a program with
// arguments, started as a command line; every other text is opened with the shell's
// default action, in the working folder the form gives.
struct LaunchPlan {
  enum class Form { ProgramWithArguments, BareName, AncestorRelative, FolderPath } form;
  std::wstring file;        // the program (first form) or the thing the shell opens
  std::wstring workFolder;  // empty for the first form
};

// The plan for `cmd`, relative to the program folder where the form asks for it.
LaunchPlan PlanLaunch(const std::wstring& cmd, const std::wstring& programFolder, LaunchAs as);

// The launcher's result, with the values its callers have always been given.
enum class LaunchResult : int16_t {
  kOpened = 0,     // opened or started
  kNotOpened = 2,  // the shell could not open it (any of its error answers), or a
                   // program that does not exist or could not be started
};

// The launcher's result from the shell's answer: every answer of 32 or below is one of
// its errors ("file not found", "path not found", "access denied", "no association",
// an invalid program, out of memory, ...) and fails; only an answer above 32 opened it.
LaunchResult ShellResultToLaunch(uintptr_t shellResult);

// Opens or starts `cmd` (Windows only). `owner` is the window (HWND) that owns anything
// the shell shows, or null.
LaunchResult TSK_KIDOU(void* owner, const std::wstring& cmd, LaunchAs as);

}  // namespace velmora
