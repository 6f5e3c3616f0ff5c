// The dialog mode of the program: the main dialog run over a job's settings when the command
// line names no targets. The job belongs to the caller and must outlive the run.
#pragma once

namespace AppLayer {

struct FileTimeJob;

// Builds the main dialog over the job's settings, shows it, runs the message loop until the
// window is gone and tears it down. sourceUnreadable: the command line named a source whose
// time could not be read, which the user is told. Returns the process exit code.
int RunDialogMode(FileTimeJob& job, bool sourceUnreadable);

}  // namespace AppLayer
