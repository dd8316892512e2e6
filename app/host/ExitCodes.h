#pragma once

// What erp-host's exit code says; --help lists the table below, and the manual page
// (docs/man/erp-host.1) the same codes.
namespace sp::host {

enum ExitCode : int {
    Done = 0,
    Failed = 1,
    UnknownUser = 2,
    NotAllowed = 3,
    NoSuchTask = 4,
    ReleaseRefused = 5,
    NotConfirmed = 6,
    BadCommandLine = 64
};

struct ExitCodeMeaning {
    ExitCode code;
    const char* meaning;
};

inline constexpr ExitCodeMeaning ExitCodeMeanings[] = {
    {Done, "done"},
    {Failed,
     "failed: no display, the database missing, unreachable, not a database or not\n"
     "prepared by db init, not signed in to (no password to give, or refused), a user\n"
     "name taken, the component not loaded, no screenshot, a backup or restore refused\n"
     "or not made"},
    {UnknownUser, "the user is not in the database (PostgreSQL: the role signed in is no user)"},
    {NotAllowed,
     "the user may not open the workbench (lacks right 0x200000) or see the summary of\n"
     "reports (lacks right 0x800000), or, on PostgreSQL, is no administrator (user\n"
     "commands but passwd, task release)"},
    {NoSuchTask, "task release: no task is held under that id"},
    {ReleaseRefused,
     "task release refused: the holder is alive and --force is not given, the holder's\n"
     "session cannot be ended, or the task changed hands meanwhile"},
    {NotConfirmed, "task release: not confirmed (not answered y, or no terminal and no --yes)"},
    {BadCommandLine, "bad command line"},
};

}  // namespace sp::host
