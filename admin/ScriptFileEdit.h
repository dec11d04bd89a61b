// The text-file edits of the script commands "change" and "append_text": a checked backup,
// then a change that keeps every byte the edit does not touch and is put in place whole or not
// at all, under the file's mark so that a second program does not edit the file meanwhile.
#pragma once

#include <string>

// Whether the file holds text (with or without regard to case). The file is read in pieces,
// so a file of any size is searched without being held whole. Raises when it cannot be read.
bool FileContainsText(const std::string& path, const std::string& text, bool ignoreCase);

// Copies path to path + ".bak" and checks the copy: the same size and bytes as the file, also
// after a failed copy. Raises, saying what stands, when no whole backup is there; an older
// backup is replaced only by a whole one.
void BackupScriptFile(const std::string& path);

// Replaces every occurrence of search (found without regard to case) by replacement. When the
// file holds no occurrence nothing is copied or written and false is returned. Otherwise the
// backup is made first, the new content is written to a work file and put in place only when
// complete; true. Raises on failure with a sentence that names the file and what stands.
bool ChangeTextInFile(const std::string& path, const std::string& search, const std::string& replacement);

// Backs the file up, then appends text and CR LF as a new last line unless the file already
// holds text (letter case counts); the file is the old one or the new one, never a part. True
// when appended. Raises on failure with a sentence that names the file and what stands.
bool AppendTextOnce(const std::string& path, const std::string& text);

// Both edits hold the mark "file <host path>" from the search to the rewrite. Another program
// that holds it refuses the edit: "<What> was not started: <the running edit> is under way on
// that file; '<file>' was left unchanged."
