#pragma once
// Waiting in tests for what the test then checks (a window, a pixel, a file, a property,
// where the pointer stands), never for a guessed time: the same test runs under
// sanitizers on a machine busy with other builds, where any guess is too short once.

#include <chrono>
#include <functional>

// How long a test waits for another process or the X server before it fails: generous,
// because only a failing test ever waits it out.
inline constexpr std::chrono::milliseconds kPatience = std::chrono::seconds(20);

// Runs Qt's event loop until 'done' holds or the time is up; returns whether it holds.
// The test's own windows keep taking their events meanwhile.
bool ProcessEventsUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds timeout = kPatience);
