// Windows path texts to host paths and back. Every file, folder and process call of the
// program maps its path here, so paths stay in Windows form everywhere else.
#pragma once

#include <string>
#include <string_view>

// The stand-in environment's root folder: TARNWICK_ROOT, or ~/.tarnwick/root when unset.
std::string StandInRoot();

// Maps a Windows path to a host path:
//   X:\rest        -> <root>/drives/x/rest
//   \\srv\sh\rest  -> <root>/unc/srv/sh/rest
//   \rest          -> /rest            (what a host path becomes after "/" turned into "\")
//   rest           -> <cwd>/rest
// "/" counts as "\". Components that do not exist with their exact case are looked up without
// regard to case in their folder, as Windows finds them.
std::string HostPath(std::string_view winPath);

// The reverse: a host path under the root's drives or unc folders gives the drive or UNC
// form; any other absolute host path gives its rooted form with "\".
std::string WinPathFromHost(std::string_view hostPath);

// Windows wildcard match ("*" any run, "?" one character) without regard to case. "*.*"
// matches every name, also one without a dot.
bool WildcardMatch(std::string_view pattern, std::string_view name);
