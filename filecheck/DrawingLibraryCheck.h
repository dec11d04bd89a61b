// The drawing and library file checks: every row of pdtable_121 (drawings) and pdtable_102
// (library files, the project file among them) must name its file completely and the file must
// exist; missing files are listed with their alternatives.
#pragma once

#include <string>

class FileListing;
struct UpgradeCheckContext;

// The "Missing drawing files" section and one finding per fault through AddMissingDrawing.
// Raises (source "CheckDrawings") on a query, report or search failure.
void CheckDrawings(UpgradeCheckContext& ctx, const FileListing& listing);
// The "Missing library files" section through AddMissingLibrary; source "CheckLibraries".
void CheckLibraries(UpgradeCheckContext& ctx, const FileListing& listing);
