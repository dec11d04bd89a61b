// What project copies that did not finish left behind, looked after at a start: the work files
// of programs that ended without removing them go, and every copy whose journal stands with no
// running program holding its project's mark is named in the program log, with what it may have
// left half made in its target; the next copy into that project takes it out.
#pragma once

void LookAfterUnfinishedCopies();
