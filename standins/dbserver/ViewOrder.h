// The order in which the views of one database user's file can be made again: each after every
// view it reads.
#pragma once

#include "standins/dbserver/SchemaTables.h"

#include <vector>

class SqliteDb;

// The views (given in the order they were made) ordered so that each comes after every view it
// reads, directly or through another; views that do not depend on each other keep their made
// order, so a schema without such a dependency keeps it whole. A view whose reads cannot be
// worked out (it reads a table or view that is gone) comes last, in made order: it is never
// left out.
std::vector<RisView> ViewsInMakeOrder(SqliteDb& db, const std::vector<RisView>& madeOrder);
