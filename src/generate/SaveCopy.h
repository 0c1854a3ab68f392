#pragma once

#include "app/FileHelpers.h"
#include "engine/Engine.h"

#include <QString>
#include <optional>
#include <stdexcept>

namespace brindlecast {

/// A save that failed; what() says "Cannot save the newsletter to <target>: <reason>.". kind()
/// tells a failure of the target's place, which every later save there would share (no room
/// left on its disk, or its folder gone), from one of this file alone.
class SaveError : public std::runtime_error {
public:
    using Kind = PlaceError::Kind;
    SaveError(const QString& message, Kind kind)
        : std::runtime_error(message.toStdString())
        , mKind(kind) {}
    Kind kind() const { return mKind; }

private:
    Kind mKind;
};

/// Copies `source` to `target` byte for byte without ever leaving `target` half written, as
/// PlaceCopy does: never through or in place of a link, never over the file `untouchable`, and
/// never from an empty source. On failure the target is as it was, and SaveError says why.
void SaveCopy(const QString& source, const QString& target,
              const std::optional<FileId>& untouchable = std::nullopt);

/// Writes the working document to `target` in `format`: a session of `engine` opens it
/// read-only and stores it into a scratch folder private to this call, and the result reaches
/// the target as SaveCopy puts it there. The session is quit and the scratch folder removed
/// whatever happens; failures are thrown as SaveCopy's are, the target left as it was.
void SaveConverted(engine::Engine& engine, const QString& workingDocument, const QString& target,
                   engine::SaveFormat format);

} // namespace brindlecast
