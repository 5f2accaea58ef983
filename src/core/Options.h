#pragma once
// What the Options dialog edits, and how its values reach the settings: the
// log-on entry, the switches and the three numbers, taken into memory and
// written to Quillon.ini.

#include "core/Outcome.h"
#include "core/ProgramState.h"
#include "platform/Autostart.h"

#include <string>

namespace quillon::core {

struct OptionValues {
    bool autoStart = false; // the log-on entry exists with a command
    // The switches as the dialog shows them; only the Options keys of this
    // copy are ever taken back.
    Settings settings;
    // The number fields as typed.
    std::string autoSaveCount;
    std::string autoVerifyHostsDays;
    std::string autoVerifyHostsQQDDays;
    std::string refreshAfterHours;
};

// The values the dialog opens with: the settings in memory (the file is not
// read again) and whether the log-on entry is there.
OptionValues loadOptions(const Settings& settings, platform::Autostart& autostart);

// Apply: the log-on entry is created for program or removed (a failure there
// is silent, as the dialog shows the entry's state at its next opening); the
// switches and numbers go into memory, each number 1 or more; then the
// Options keys are written to the settings file. The write's failure is
// returned, and the values in memory stay.
Outcome applyOptions(ProgramState& state, platform::FileSystem& fs, platform::Autostart& autostart,
                     const std::string& program, const OptionValues& values);

} // namespace quillon::core
