#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at `path` by `bytes`: written to a temporary file in the same folder and renamed
// over the old one, so a crash or a full disk never leaves a half-written file. A file that already
// holds exactly these bytes is not written at all. Returns false when the file could not be written
// (the old file, if any, is then unchanged).
bool writeFileAtomically(const QString& path, const QByteArray& bytes);

// The whole content of a file, or an empty array when it is missing or unreadable.
QByteArray readWholeFile(const QString& path);
