// The row counts of a schema's tables as the server gives them: the risbatch input that asks
// them all in one run, and the reader of its answer, which takes only a complete answer.
#pragma once

#include "platform/TextUtil.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

using RowCounts = std::map<std::string, uint64_t, NoCaseLess>;

// One "select count(*) from <table>;" statement per table, in the order given.
std::string RowCountStatements(const std::vector<std::string>& tables);

// The count of each asked table from risbatch's answer to RowCountStatements. Raises error 1
// naming what is missing unless the answer is complete: every asked table's query answered
// once, by exactly one "count(*): <n>" line, and closed by its own "End of Data Found" line.
RowCounts ReadRowCounts(const std::string& answer, const std::vector<std::string>& tables);

// The tables whose count in a dump differs from the server's, worded "table '<t>' holds <d>
// rows in the dump, <s> on the server", joined by "; "; empty when every counted table agrees.
// A table the server counted and the dump lacks holds 0 rows in the dump.
struct DumpTableCount;
std::string RowCountDifferences(const std::vector<DumpTableCount>& dumped, const RowCounts& server);
