// The Linux side of a run under Wine, read through Wine's Z: drive: which
// Linux process is which, and how much CPU time each has used.
#pragma once

#include <string>

namespace bench {

// The Linux process id of the process of this Wine prefix whose command
// name starts with `command` (Linux keeps its first 15 characters); 0 when
// there is none or the program does not run under Wine.
int FindWineProcess(const std::string& command);

// User plus system CPU time of a Linux process in seconds; negative when
// it cannot be read.
double LinuxCpuSeconds(int pid);

}  // namespace bench
