// The last two steps of the check run: the area marker files of the areas that take part in
// interference checking, and the project file of the pdtable_102 row of type 99.
#pragma once

struct UpgradeCheckContext;

// "Missing area marker files": the marker file of an area is the project directory, the area
// name, "." and the discipline index. Raises (source "CheckAreaMarker") on a query, report or
// project directory failure.
void CheckAreaMarker(UpgradeCheckContext& ctx);
// "Missing project file": the first type-99 row's location and rdb_file_spec. Raises (source
// "CheckProjectFile") on a query or report failure.
void CheckProjectFile(UpgradeCheckContext& ctx);
