#pragma once
// Set-ups that scripts/e2e-config.sh makes around a run of this program, for
// faults that Wine running as root would hide. Suites named after one run
// only inside it and skip, saying so, anywhere else.

#include <string>

namespace e2e {

// "full-disk", "root-not-writable", or empty in an ordinary run.
std::string activeConfiguration();
std::string skipNote(const std::string& configuration);

// A folder off drive C:, for files too large for a nearly full C:.
std::wstring outsideDriveC();

}  // namespace e2e
