// How the file check's result tree answers the user: only model and drawing branch nodes keep
// a check, a check spreads down and up, at most one candidate file is chosen per missing file,
// and a candidate opens on double-click.
#pragma once

#include <string>

struct CheckTreeNode;

// "Models", "Drawings", or a key beginning with "Discipline" or "DrawingType".
bool IsRestorable(const CheckTreeNode& node);
// A node without children whose key contains "File" and not "FILE_NOT_FOUND".
bool IsCandidateLeaf(const CheckTreeNode& node);
// True when the node is a restorable candidate leaf and a checked sibling (the node included)
// ends its key in the same file name (the text after the last "\", letter case ignored).
bool IsAlternativeAlreadyChecked(const CheckTreeNode& node);

// Gives the node's check state to its subtree: restorable nodes only, and among the candidates
// of one missing file only the first takes a check.
void CheckChildNodes(CheckTreeNode& node);
// The tree's event after a node's check changed: down through CheckChildNodes, then up.
void NodeCheck(CheckTreeNode& node);
// What follows the user's click on a node's check box: a node outside the model and drawing
// branches is unchecked again; a second checked candidate of the same file is unchecked.
void MouseUp(CheckTreeNode& node);
// A user's change of the node's check box: NodeCheck, then MouseUp.
void UserChangedCheck(CheckTreeNode& node);

// The candidate file a double-clicked node opens, or the empty text when it opens nothing.
std::string DoubleClickFile(const CheckTreeNode& node);
// Opens that file through the shell with the verb "Open"; raises when the shell cannot.
void OpenCandidate(const CheckTreeNode& node);
