// What a RIS unload writes besides the tables' data.
#pragma once

enum class UnloadExtras {
    None,               // the data only
    IndexesGrants,      // the indexes and grants of the unloaded tables, no view
    ViewsIndexesGrants, // those, and every view of the schema (a view names no table it belongs to)
};
