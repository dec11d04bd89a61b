// The order in which the views of one database user's file can be made again: each after every
// view it reads.
#pragma once

#include "standins/dbserver/SchemaTables.h"

#include <string>
#include <vector>

class SqliteDb;

// The views (given in the order they were made) ordered so that each comes after every view it
// reads, directly or through another; views that do not depend on each other keep their made
// order, so a schema without such a dependency keeps it whole. A view whose reads cannot be
// worked out (it reads a table or view that is gone) comes last, in made order: it is never
// left out.
std::vector<RisView> ViewsInMakeOrder(SqliteDb& db, const std::vector<RisView>& madeOrder);

// Why no load can make the view again as the schema holds it: a sentence naming the view and
// the table or view it reads that no longer stands (dropped after the view was made, which the
// database allows), or the database's reason; empty when its query compiles.
std::string ViewThatCannotBeMade(SqliteDb& db, const std::string& view);
