// The source and target of a project copy as the window holds them: project names and RIS
// parameters files, read anew at every use. A copy run works on the sides as they were when it
// started (FixedSides): what it makes and takes out again must stay in one target.
#pragma once

#include <functional>
#include <string>

struct ProjectSides {
    std::function<std::string()> oldProject; // cmbProj1
    std::function<std::string()> newProject; // cmbProj2
    std::function<std::string()> oldParams;  // txtOldParms
    std::function<std::string()> newParams;  // txtNewParms
};

// The texts of live as they are now, kept.
inline ProjectSides FixedSides(const ProjectSides& live)
{
    auto keep = [](std::string text) { return [text] { return text; }; };
    return {keep(live.oldProject()), keep(live.newProject()), keep(live.oldParams()), keep(live.newParams())};
}
