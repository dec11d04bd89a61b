// What a mark a dead run left says when a later run has to carry it on: the fields a run took
// over from a dead one keep naming that dead run ("left by") and its change ("left what"), so
// that whoever reads the mark later names the run that left it, not one that only passed by.
#pragma once

#include "platform/RunMark.h"

#include <string>

namespace leftmark {

// The fields RunMark writes itself to say who runs a mark.
bool IsWhoField(const std::string& name);
// Sets name to value, adding it when absent.
void Put(RunMark::Fields& fields, const std::string& name, const std::string& value);
// Who ran the change a left mark stands for: "left by" when a later run carried it, else the
// mark's own who-fields.
std::string LeftBy(const RunMark::Fields& left);
// The change it stands for: "left what" when a later run carried it, else "what".
std::string LeftWhat(const RunMark::Fields& left);
// The left mark's fields without who-fields, with "left by" (and "left what" when keepWhat is
// false, for a carrier that writes its own "what") set to the dead run's.
RunMark::Fields Carried(const RunMark::Fields& left, bool keepWhat = true);
// Whether a left schema mark is a dead change's that may have left its schema in part: one that
// said so before its step (not a load, whose record tells, nor a change cut off before it
// touched the schema). A load that took it over carries it under "left what".
bool LeftInPart(const RunMark::Fields& left);

} // namespace leftmark
