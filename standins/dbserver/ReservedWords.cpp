// The database's reserved words.
#include "standins/dbserver/ReservedWords.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace {

// In order, for the binary search.
constexpr std::string_view kReservedWords[] = {
    "access", "add", "all", "alter", "and", "any", "as", "asc", "audit", "between", "by", "char", "check", "cluster",
    "column", "comment", "compress", "connect", "create", "current", "date", "decimal", "default", "delete", "desc",
    "distinct", "drop", "else", "exclusive", "exists", "file", "float", "for", "from", "grant", "group", "having",
    "identified", "immediate", "in", "increment", "index", "initial", "insert", "integer", "intersect", "into", "is",
    "level", "like", "lock", "long", "maxextents", "minus", "mlslabel", "mode", "modify", "noaudit", "nocompress",
    "not", "nowait", "null", "number", "of", "offline", "on", "online", "option", "or", "order", "pctfree", "prior",
    "privileges", "public", "raw", "rename", "resource", "revoke", "row", "rowid", "rownum", "rows", "select",
    "session", "set", "share", "size", "smallint", "start", "successful", "synonym", "sysdate", "table", "then",
    "to", "trigger", "uid", "union", "unique", "update", "user", "validate", "values", "varchar", "varchar2", "view",
    "whenever", "where", "with"};

}

bool IsReservedWord(std::string_view name)
{
    const std::string lower = ToLower(std::string(name));
    return std::binary_search(std::begin(kReservedWords), std::end(kReservedWords), std::string_view(lower));
}

