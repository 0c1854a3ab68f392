#pragma once

#include <QIcon>

namespace brindlecast {

/// The program's icon, in every size it ships.
QIcon ProgramIcon();

} // namespace brindlecast
