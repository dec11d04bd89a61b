// Windows path texts to host paths and back. Every file, folder and process call of the
// program maps its path here, so paths stay in Windows form everywhere else.
#pragma once

#include <string>
#include <string_view>

// The stand-in environment's root folder: TARNWICK_ROOT, or ~/.tarnwick/root when unset.
std::string StandInRoot();

// The full Windows form of a path, as Windows completes it: "/" counts as "\", a relative path
// is joined to the current folder, a drive-relative one ("C:x") to the current folder of that
// drive (its root when the current folder is elsewhere), and "." and ".." are taken out without
// ever climbing above the drive, "\\server\share" or the host's "\" ("C:\..\x" is "C:\x"). A
// trailing "\" stays. A network path whose server or share is no name a server can have ("",
// "." or ".."), and a relative path while the current folder lies on no drive or share of the
// environment (CurrentWinFolder empty), come back as given: they name no place.
std::string FullWinPath(std::string_view winPath);

// Maps a Windows path to a host path, after FullWinPath:
//   X:\rest        -> <root>/drives/x/rest
//   \\srv\sh\rest  -> <root>/unc/srv/sh/rest
//   \rest          -> /rest            (what a host path becomes after "/" turned into "\")
// so that no path of a drive or share maps outside that drive's or share's folder. Components
// that do not exist with their exact case are looked up without regard to case in their
// folder, as Windows finds them. A path that names no place maps to a host path below
// a device file, where every open, listing or creation fails as on an unreachable server.
std::string HostPath(std::string_view winPath);

// The place a path names, as one text to compare: its mapped full form (as FullWinPath: "/" and
// "\" alike, doubled separators, "." and ".." taken out), with every link on the way that stands
// followed, in Windows form and in capitals ("C:\PDSDUMP\X.DMP"); names that do not stand yet stay
// as written. So two spellings of one place give one text, also before the file exists. Letters
// compare as the mapping finds names: without regard to case. A path that names no place gives
// its own text in capitals.
std::string WinPathPlace(std::string_view winPath);
// Whether both paths name one place (WinPathPlace); never for an empty path. A record, a mark or
// a dump is matched to a path this way; HostSameFile tells whether two places hold one file.
bool SameWinPlace(std::string_view winPathA, std::string_view winPathB);

// The current folder in Windows form when it is a folder of a drive or a share of the
// environment ("C:\work"); empty when it lies elsewhere (a host folder outside the root, a
// server without a share). A relative path then names no place: FullWinPath gives it back as
// given and HostPath maps it where nothing can be opened or made, so no relative path and no
// ".." ever reaches a host folder outside the environment.
std::string CurrentWinFolder();

// Whether the path goes on from a current folder: "x", ".\x", "..\x", or a drive-relative "C:x"
// or "C:" (from the current folder of that drive).
bool IsRelativeWinPath(std::string_view winPath);

// Why the path names no place of the environment, as words to follow the quoted path in a
// message ("is relative, and the current folder '\work\bin' lies on no drive or share of the
// environment"); empty when it names a place.
std::string NoPlaceWords(std::string_view winPath);

// The reverse: a host path under the root's drives or unc folders gives the drive or UNC
// form; any other absolute host path gives its rooted form with "\". "." and ".." are taken
// out first; the root is also recognised by its resolved form (a link in its path).
std::string WinPathFromHost(std::string_view hostPath);

// Whether a name of the path after its drive holds a character Windows refuses in a name it
// creates: '<', '>', ':', '"', '|', '?', '*' or a control character. Separators and the
// drive's ":" are no part of a name.
bool HasRefusedNameCharacter(std::string_view winPath);

// Windows wildcard match ("*" any run, "?" one character) without regard to case. "*.*"
// matches every name, also one without a dot.
bool WildcardMatch(std::string_view pattern, std::string_view name);
