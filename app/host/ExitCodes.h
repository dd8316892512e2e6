#pragma once

// What erp-host's exit code says; --help lists the table below, and the manual page
// (docs/man/erp-host.1) the same codes.
namespace sp::host {

enum ExitCode : int { Done = 0, Failed = 1, UnknownUser = 2, NotAllowed = 3, BadCommandLine = 64 };

struct ExitCodeMeaning {
    ExitCode code;
    const char* meaning;
};

inline constexpr ExitCodeMeaning ExitCodeMeanings[] = {
    {Done, "done"},
    {Failed,
     "failed: no display, the database missing, unreachable, not a database or not\n"
     "prepared by db init, a user name taken, the component not loaded, no screenshot"},
    {UnknownUser, "the user is not in the database"},
    {NotAllowed, "the user may not open the workbench (lacks right 0x200000)"},
    {BadCommandLine, "bad command line"},
};

}  // namespace sp::host
