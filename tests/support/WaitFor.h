#pragma once
// Polling for what a program shows a moment later.
#include <chrono>
#include <functional>

namespace mova::test {

// Polls `condition` every 100 ms until it holds or `timeout` has passed; its
// last answer.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

}  // namespace mova::test
