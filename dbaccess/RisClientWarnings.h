// Reads the warnings in a RIS client's console output or log.
#pragma once

#include <string>
#include <vector>

// Every line of the output that begins with "Warning: ", without that word, in output order: what
// the client says of a run that did what it was asked (an unload that wrote a view no load can
// make). A warning is no failure. None in an output without such a line.
std::vector<std::string> RisClientWarnings(const std::string& output);
