#pragma once

#include "engine/Engine.h"

#include <QString>
#include <stdexcept>

namespace brindlecast {

/// A save that failed; what() says "Cannot save the newsletter to <target>: <reason>.". kind()
/// tells a failure of the target's place, which every later save there would share (no room
/// left on its disk, or its folder gone), from one of this file alone.
class SaveError : public std::runtime_error {
public:
    enum class Kind { ThisFile, NoRoom, FolderGone };
    SaveError(const QString& message, Kind kind)
        : std::runtime_error(message.toStdString())
        , mKind(kind) {}
    Kind kind() const { return mKind; }

private:
    Kind mKind;
};

/// Copies `source` to `target` byte for byte without ever leaving `target` half written: the
/// bytes go to a temporary file beside the target, which replaces the target only when it is
/// complete. On failure the target is as it was, the temporary file is gone, and SaveError says
/// why.
void SaveCopy(const QString& source, const QString& target);

/// Writes the working document to `target` in `format`: a session of `engine` opens it
/// read-only and stores it into a scratch folder private to this call, and the result reaches
/// the target as SaveCopy puts it there. The session is quit and the scratch folder removed
/// whatever happens; failures are thrown as SaveCopy's are, the target left as it was.
void SaveConverted(engine::Engine& engine, const QString& workingDocument, const QString& target,
                   engine::SaveFormat format);

} // namespace brindlecast
