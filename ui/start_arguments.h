#pragma once

#include <variant>

#include "tarnvel/start_options.h"

namespace tarnvel::ui {

// This process's command line, read; a relative source is made full against
// the folder Tarnvel was started in, since the current folder does not stay.
std::variant<StartOptions, MessageNotice> startArguments();

}  // namespace tarnvel::ui
