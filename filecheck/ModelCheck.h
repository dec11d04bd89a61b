// The model file check: every model of pdtable_113 must name its file completely and the file
// must exist; FrameWorks sparse models also need their thirteen companion files, FrameWorks
// frozen models a sparse model of the same number.
#pragma once

#include <string>

class FileListing;
struct UpgradeCheckContext;

// The companion extensions of a FrameWorks sparse model, in the order they are tested.
inline constexpr const char* kFrameWorksExtensions = "arc;cpr;dpr;drw;frz;lod;mem;mod;ovr;ovs;slb;vus;wal";

// Reads the disciplines, areas and models of the project schema, writes the "Missing model
// files" section and enters every finding through AddMissingModel; listing is FindInit's.
// Raises (source "CheckModels") on a query, report or search failure.
void CheckModels(UpgradeCheckContext& ctx, const FileListing& listing);
