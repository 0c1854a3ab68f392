#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <stdexcept>

class QFileInfo;

// Only ProgramFolder and TempFolder are the same everywhere; the rest is defined per operating
// system (posix/FileHelpersPosix.cpp, windows/FileHelpersWindows.cpp), so that links,
// permissions and the reasons of failures are the system's own.
namespace brindlecast {

/// True when something is at the exact path, a link that leads nowhere included; every failure
/// (empty path, missing folder) is false.
bool FileExists(const QString& path);

/// Removes one file; a missing, locked or otherwise undeletable file is silently left alone.
void DeleteFileQuietly(const QString& path);

/// True when `path` names a folder the program may create files in.
bool IsWritableFolder(const QString& path);

/// True when the file `info` describes belongs to the user the program runs as.
bool OwnedByCurrentUser(const QFileInfo& info);

/// The paths of the folders in `parent` whose names match `patterns` (exactly, letter case
/// too) and that are the current user's own; links are left out, whatever they lead to.
QStringList OwnFolders(const QString& parent, const QStringList& patterns);

/// The folder of the running program, without a trailing separator.
QString ProgramFolder();

/// The program's working-file folder: $TEMP when it names a writable folder, otherwise the
/// platform's temporary folder (never the root of the file system). Separated by '/' everywhere.
QString TempFolder();

/// Creates `path` afresh for this run and writes `bytes` into it. Whatever is at the path (a
/// left-over file, a planted file or a link) is removed first; the new file is created
/// exclusively, without following links, readable by its owner only. Throws std::runtime_error
/// with a readable description when the file cannot be written completely.
void WriteFreshFile(const QString& path, const QByteArray& bytes);

/// Adds `bytes` at the end of the file at `path`, which is made when missing (readable by its
/// owner only, never through a link), and returns once they are on the disk, so that what was
/// written outlives a crash or a power cut. Throws std::runtime_error with a readable description.
void AppendDurably(const QString& path, const QByteArray& bytes);

/// True when users other than the file's owner may read the file at `path`, so that it is no
/// place for a secret: its group or others on POSIX systems; Everyone, Users or Authenticated
/// Users on Windows. A file that cannot be looked at counts as readable.
bool OthersMayRead(const QString& path);

/// Which file is at a path, whatever path leads to it: the device and inode on POSIX systems,
/// the volume and file index on Windows.
struct FileId {
    quint64 volume = 0;
    quint64 file = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

/// The file at `path`, links followed; none when nothing is there or it cannot be reached.
std::optional<FileId> FileIdOf(const QString& path);

/// True when `path` itself is a link: a symbolic link, or on Windows a reparse point that stands
/// for another name (a symbolic link, a junction).
bool IsLink(const QString& path);

/// An input file read whole: a template, a recipient list, a values file.
struct InputFile {
    QByteArray bytes;
    /// The file holds more than the limit asked for; `bytes` is then empty.
    bool tooLarge = false;
    FileId id;
};

/// Why an input file cannot be read; what() says why, for a message that names the file.
class InputFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Reads the input file at `path`, unless it holds more than `limit` bytes. Only a regular file
/// is read, or a pipe another program has already opened to write into it (a shell's process
/// substitution, "<(...)", or standard input); a named pipe, a device, a socket or a folder is
/// refused at once ("it is not a regular file"), never waited on. Throws InputFileError.
InputFile ReadInputFile(const QString& path, qint64 limit);

/// ReadInputFile's reading, for both platform rooms: calls `readSome(into, room)`, which reads at
/// most `room` bytes into `into` and returns how many (0 at the end; it throws on failure),
/// until the end or one byte past `limit`. Starts with room for `expected` bytes and grows.
void ReadUpToLimit(InputFile& input, qint64 limit, qint64 expected,
                   const std::function<qint64(char* into, qint64 room)>& readSome);

/// A file that could not be put in place; what() says why. kind() tells a failure of the
/// target's place, which every later file there would share (no room left on its disk, or its
/// folder gone), from one of this file alone.
class PlaceError : public std::runtime_error {
public:
    enum class Kind { ThisFile, NoRoom, FolderGone };
    PlaceError(const QString& reason, Kind kind)
        : std::runtime_error(reason.toStdString())
        , mKind(kind) {}
    Kind kind() const { return mKind; }

private:
    Kind mKind;
};

/// Puts a copy of the file `source` at `target`, whole or not at all: the bytes go to a new file
/// beside the target, which takes the target's name only once it holds every byte and has been
/// flushed to the disk. A link at `target` is refused, never replaced nor written through, and
/// so is the file `untouchable` under any name. On failure the target is as it was, nothing is
/// left beside it, and PlaceError says why.
void PlaceCopy(const QString& source, const QString& target,
               const std::optional<FileId>& untouchable = std::nullopt);

} // namespace brindlecast
