// The source and target of a project copy as the window holds them: project names and RIS
// parameters files, read anew at every use, so a change made during a run takes effect at the
// next read.
#pragma once

#include <functional>
#include <string>

struct ProjectSides {
    std::function<std::string()> oldProject; // cmbProj1
    std::function<std::string()> newProject; // cmbProj2
    std::function<std::string()> oldParams;  // txtOldParms
    std::function<std::string()> newParams;  // txtNewParms
};
