// The [Replace] edits of a chosen dump: every key replaced by its value, line by line.
#pragma once

#include <string>
#include <vector>

// The line with every occurrence of each key (found without regard to case) replaced by the
// key's value, keys taken in order, each working on the line as the earlier ones left it.
std::string ReplaceKeysInLine(const std::string& line, const std::vector<std::string>& keys,
                              const std::vector<std::string>& values);

// Applies the edits to the file, streaming it in chunks. When a line changed, the old file is
// kept as "<file>.bak" (the edit goes on only when it holds the same bytes) and the new content, each line followed by CR LF,
// replaces the file once it is complete (ReplacementFile: through a symbolic link; a read-only
// or locked file is refused). Returns whether the file changed; an unchanged file is not
// touched. Raises on failure, the original file then being left as it was.
bool ApplyReplacements(const std::string& file, const std::vector<std::string>& keys,
                       const std::vector<std::string>& values);
