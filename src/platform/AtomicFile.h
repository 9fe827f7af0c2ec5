#pragma once

#include <QByteArray>
#include <QString>

#include <limits>

// Whole-file reads and atomic rewrites. Every file the launcher rewrites goes through here.
//
// A rewrite goes to a new file in the same folder, and replaces the old one by a rename only after
// every write, the flush to disk and the close succeeded, so a full disk or a crash never leaves a
// half-written or empty file: on failure the old file keeps every byte. A file that already holds
// exactly these bytes is not written at all; a file its user may not write (read-only) is refused,
// as is a folder in its place.
//
// Links under the run directory (rundir::path()): a link whose target stays inside the run directory
// is followed; a link that leaves it (or dangles towards the outside) is never written through and is
// replaced by a regular file; a file whose folder itself lies outside the run directory (a linked
// folder) is refused. Nothing is ever created outside the run directory for a path under it. Paths
// that are not under the run directory (the autostart entry) follow links as usual.
bool writeFileAtomically(const QString& path, const QByteArray& bytes);

enum class ReadStatus { Read, Missing, TooLarge, Failed };
struct FileRead {
    ReadStatus status = ReadStatus::Failed;
    QByteArray bytes; // empty unless status is Read
    bool ok() const { return status == ReadStatus::Read; }
};

// Reads the whole file, refusing one longer than `maxBytes` without reading it. A folder, a file
// that cannot be opened and a read error are Failed; only a path where nothing exists is Missing.
FileRead readFile(const QString& path, qint64 maxBytes = std::numeric_limits<qint64>::max());

// The whole content of a file, or an empty array when it is missing or unreadable.
QByteArray readWholeFile(const QString& path);

// Creates `folder` and its missing parents. Under the run directory, a folder reached through a link
// that leaves the run directory is neither created nor accepted: false.
bool makeFolders(const QString& folder);
