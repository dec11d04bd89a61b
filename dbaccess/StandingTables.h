// Whether a schema's tables stand, asked of two sources that share no client: the unload
// client's listing and the RIS dictionary (risbatch). A listing whole in form may still leave a
// table out, so a table either source names stands; a table is missing only when both answers
// came whole without it.
#pragma once

#include <string>
#include <vector>

class CRIS;

// The schema's tables: the listing's, in its order, then those only the dictionary names (in RIS
// mode; on a server connection its own catalogue, read anew). Raises when either answer is not
// whole or cannot be had: no question of existence is answered from half a list.
std::vector<std::string> StandingTables(CRIS& cris, const std::string& schema);

// Whether the table stands in the schema by both sources (letter case aside): the listing (a held
// one unless refresh), and the dictionary only when the listing lacks the table.
bool TableStands(CRIS& cris, const std::string& schema, const std::string& table, bool refresh);
