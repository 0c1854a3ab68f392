#pragma once

#include "Engine.h"

#include <memory>

namespace brindlecast::engine {

class DeadlineEngine;

/// `application` with every request made through it, and through the documents, ranges, finds
/// and shapes it hands out, run by `guard` within its time limit. The session itself ends on
/// the guard's thread too.
std::unique_ptr<Application> GuardSession(DeadlineEngine& guard,
                                          std::unique_ptr<Application> application);

} // namespace brindlecast::engine
