#pragma once
// The parts of a posix_spawn call that every program the application starts
// shares: file actions and attributes as owned objects, and a clean signal
// state (none blocked, every one at its default), so that what the program
// blocks or ignores is never passed on.

#include <spawn.h>

namespace quillon::platform {

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&m_value); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&m_value); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &m_value; }

private:
    posix_spawn_file_actions_t m_value;
};

class SpawnAttributes {
public:
    // newSession: the program leads a session of its own, so that it
    // outlives ours and our terminal.
    explicit SpawnAttributes(bool newSession = false);
    ~SpawnAttributes() { posix_spawnattr_destroy(&m_value); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() { return &m_value; }

private:
    posix_spawnattr_t m_value;
};

} // namespace quillon::platform
