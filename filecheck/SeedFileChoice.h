// Which file a node of the result tree stands for: the candidate path of a checked alternative
// file node, read from its key.
#pragma once

#include <string>

struct CheckTreeNode;

// The path a candidate node's key carries: the text after "File" behind the parent's key (so a
// model or drawing number holding "File" does not cut the path), else after the first "File"
// of the key; trimmed. Empty when the key holds no "File".
std::string CandidatePath(const CheckTreeNode& node);

// The candidate path of a checked node whose key does not contain "FILE_NOT_FOUND", else the
// empty text.
std::string GetSelectedSeedFile(const CheckTreeNode& node);
