#pragma once
#include "builder/ZipRecords.h"
#include "platform/File.h"

#include <cstdint>
#include <vector>

namespace qb::zip {

// The central directory of an existing archive.
struct Directory {
    std::vector<Entry> Entries;        // in directory order
    std::vector<uint8_t> Comment;      // the archive comment, carried into an update
    uint64_t DirectoryOffset = 0;      // where the entries' data ends
};

// Reads the end record and the central directory. Throws qb::Exception when
// the file is no archive or its directory points outside the file.
Directory ReadDirectory(File& archive);

}  // namespace qb::zip
