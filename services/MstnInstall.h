// The MicroStation installations of this computer, from the registry entries they leave.
#pragma once

#include <string>
#include <vector>

// One installation: the program file's full path and its version text (e.g. "07.01.05.03").
struct MSTNInstallation {
    std::string path;
    std::string version;
};

// The installations whose program file exists, one per subkey of HKEY_LOCAL_MACHINE
// "Software\Bentley\MicroStation\" (values "PathName" and "Version"), in registry order.
// None found, or any failure: the EMPTY list (upper bound size()-1 == -1, the same failure
// form as the registry's name lists). Never throws.
std::vector<MSTNInstallation> GetMSTNInstallations();

// The program path of the first installation of major version 07 ("07." and more), else of
// the first installation; "" when there is none. An error that reaches it is passed on with
// the source "GetDefaultMSTNPath".
std::string GetDefaultMSTNPath();
