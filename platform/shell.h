#pragma once
// ShellExecuteA("open") on Linux: the address is handed to xdg-open.
#include <QString>

class QWidget;

inline constexpr int SW_SHOWNORMAL = 1;

// The numbers a failed call can yield (the values the Windows shell uses for the same
// situations, so callers and messages read alike on both systems).
inline constexpr int SE_ERR_FNF = 2;             // file or address not found
inline constexpr int SE_ERR_ACCESSDENIED = 5;    // not allowed to read it
inline constexpr int ERROR_BAD_FORMAT = 11;      // the helper refused the arguments
inline constexpr int SE_ERR_DDEFAIL = 29;        // the helper or the opened program failed
inline constexpr int SE_ERR_NOASSOC = 31;        // nothing to open it with / unknown verb
inline constexpr int ShellExecuteSuccess = 42;   // any value above 32 means success

// Performs verb on file. Only "open" (or an empty verb, which means the same) is
// known; any other verb yields SE_ERR_NOASSOC.
//
// Result > 32 on success; on failure a value <= 32 from xdg-open's exit status:
//   0 -> success (42)
//   1 (syntax error) -> ERROR_BAD_FORMAT (11)
//   2 (file does not exist) -> SE_ERR_FNF (2)
//   3 (no tool or application for it) -> SE_ERR_NOASSOC (31)
//   4 (the action failed) -> SE_ERR_DDEFAIL (29)
//   5 (no permission to read the file) -> SE_ERR_ACCESSDENIED (5)
//   any other status, or a crash -> SE_ERR_DDEFAIL (29)
// xdg-open missing from PATH, or not startable -> SE_ERR_NOASSOC (31): the desktop has
// no way to open it.
// An empty file name -> SE_ERR_FNF (2) without running anything.
//
// xdg-open is looked up on PATH at each call and waited for up to ShellWaitMs; one that
// is still running by then (some desktops keep it alive with the opened program) is left
// running and the call counts as a success.
//
// parameters: the opened program cannot be given arguments through xdg-open, so they
// are used only when file names an executable program, which is then started directly
// with them (split like a command line) in directory. directory is also the working
// folder of xdg-open when not empty. parent and showCommand have no effect here.
int ShellExecuteA(QWidget* parent, const QString& verb, const QString& file,
                  const QString& parameters, const QString& directory, int showCommand);

inline constexpr int ShellWaitMs = 5000;
