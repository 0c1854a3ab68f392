#pragma once

#include "Workbook.h"

#include <memory>

namespace brindlecast::engine {

class DeadlineEngine;

/// `spreadsheets` with every request made through it, and through the workbooks it opens, run
/// by `guard` within its time limit. The session itself ends on the guard's thread too.
std::unique_ptr<Spreadsheets> GuardSpreadsheets(DeadlineEngine& guard,
                                                std::unique_ptr<Spreadsheets> spreadsheets);

} // namespace brindlecast::engine
