// The lines of a RIS client's answer (risbatch's output, a risunlod listing): every reader of an
// answer splits it here, so that a value keeps each byte it was stored with.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The answer split at its line ends, CR LF or a LF alone, without them; a last line without an
// end counts, an empty answer has no line. A CR that does not stand before a LF is part of a
// value ('a<CR>b' prints on one line) and stays where it is.
std::vector<std::string> AnswerLines(std::string_view answer);
