// The restores of missing model and drawing files: every checked file node of the result tree
// recreates its file at the location the project tables give, from the chosen alternative or
// a seed file, never over an existing file; one report row per node.
#pragma once

#include <string>

struct UpgradeCheckContext;

// Checked nodes matching "Discipline*Model*File*"; seed files by discipline: "mdlsdz.dgn" (1),
// "eqpsdz.dgn" (2), "rwysdz.dgn" (5) in projectDirectory (a network path ending in "\"), the
// FrameWorks seed file with the restored file's extension (3), the other seed file otherwise.
// Per-node failures are report rows; anything else raises (source "RestoreMissingModelFiles").
void RestoreMissingModelFiles(UpgradeCheckContext& ctx, const std::string& projectDirectory);

// Checked nodes matching "DrawingType*Drawing*File*"; the seed is projectDirectory +
// "drwsdz.dgn". Raises with the source "RestoreMissingDrawingFiles".
void RestoreMissingDrawingFiles(UpgradeCheckContext& ctx, const std::string& projectDirectory);
