// The safe rewriting of a found file, through its checked handle: written
// in place, with the old bytes kept beside it until the new ones are on
// disk; and the same decisions with every change withheld, for a dry run.
#ifndef VANTREL_SYSTEM_SAVE_H_
#define VANTREL_SYSTEM_SAVE_H_

#include <windows.h>

#include <cstddef>
#include <string>

#include "system/calls.h"
#include "system/found_file.h"

namespace io {

// Makes `bytes` the whole content of `file`, writing through it, with the
// old bytes first saved beside it ("NAME.N.bak") until the new ones are on
// disk. Works while a program holds the file with read and write sharing,
// as the running tracer's fopen does. False when it cannot be done; the
// file then keeps its old bytes. Interrupted at any point, the file holds
// the old or the new bytes, or the old bytes lie whole in the .bak file.
// Nothing outside the file's checked folder is made or changed.
bool saveFile(FoundFile& file, const std::string& bytes, const FileCalls& calls = platformFileCalls());

// The whole content of `file`, read through its handle. Throws IOException
// in loadFile's words when it cannot be read, is 4 GiB or larger, or does
// not fit in memory (a 32-bit process's address space, whatever its size).
std::string readFile(const FoundFile& file);

// What saveFile would do with `newSize` bytes, checked without a change:
// how the file would be written ("written in place"), or null when it
// could not be (no room on the volume for the old bytes' backup and the
// file's growth among the reasons). `unknown` when the in-place write's
// check could not tell (a read-only file, which a real run makes writable
// first): null is then the worse outcome foretold.
struct SaveForecast {
    const char* way = nullptr;
    bool unknown = false;
};
SaveForecast foreseeSave(const FoundFile& file, std::size_t newSize, const FileCalls& calls = platformFileCalls());

}  // namespace io

#endif  // VANTREL_SYSTEM_SAVE_H_
