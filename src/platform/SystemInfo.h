#pragma once

#include <QString>

// What the launcher needs to know about the host: memory for the suggested heap size and the status
// panel, and the word size of the system and of a Java program.
namespace sysinfo {

// Available physical memory in MB (MemAvailable of /proc/meminfo, rounded to the nearest MB); 0 when
// the file cannot be read. The overload reads the given file in the /proc/meminfo format.
qint64 freeMemoryMb();
qint64 freeMemoryMb(const QString& meminfoPath);

// Installed physical memory in MB (MemTotal, rounded to the nearest MB); 0 when unreadable.
qint64 totalMemoryMb();
qint64 totalMemoryMb(const QString& meminfoPath);

// True when the machine the launcher runs on is a 64-bit system (uname's machine name).
bool isSixtyFourBitMachine(const QString& machine);
bool is64BitSystem();

// 32 or 64 for an ELF file of that class; 0 when the file is not ELF or cannot be read.
int elfClass(const QString& path);

} // namespace sysinfo
