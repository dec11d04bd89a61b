// Process environment with Windows rules: names without regard to case, and the defaults the
// program expects on start-up.
#pragma once

#include <string>

// The value of the variable, the name matched without regard to case; empty when unset.
std::string GetEnvVar(const std::string& name);
void SetEnvVar(const std::string& name, const std::string& value);

// TEMP and TMP default to the host temporary folder, COMPUTERNAME to the host name. Called by
// the start-up before anything reads them.
void InitEnvironmentDefaults();

// This computer's name (COMPUTERNAME).
std::string ComputerName();
