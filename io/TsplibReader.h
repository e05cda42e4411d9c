#pragma once

#include "graph/ArrayGraph.h"
#include "graph/RunLimits.h"

#include <cstdint>
#include <memory>
#include <string>

namespace komiwojazer {

// The two layouts of the TSPLIB format that the program reads.
enum class TsplibFormat {
    FullMatrix,  // EDGE_WEIGHT_FORMAT: FULL_MATRIX, then EDGE_WEIGHT_SECTION
    Euclidean2D, // EDGE_WEIGHT_TYPE: EUC_2D, then NODE_COORD_SECTION
};

struct TsplibLoad {
    enum class Status {
        Loaded,            // graph holds the whole instance
        MissingFile,       // the file cannot be opened (or is not a regular file)
        UnsupportedFormat, // detail: the format value read
        MissingKeyword,    // detail: the keyword that the file ends before
        Incomplete,        // the file ends inside its data section (or before a keyword's value)
        InvalidDimension,  // detail: the dimension token, which is negative
        OutOfMemory,       // the instance does not fit the memory budget
        Interrupted,       // the load was cancelled
    };
    Status status = Status::Loaded;
    std::unique_ptr<ArrayGraph> graph; // the new instance, only when Loaded
    std::int32_t dimension = 0;        // the vertex count, as the success line prints it
    std::string detail;                // see Status
};

// Reads a whole instance file within the limits; a graph is returned only when every part of it
// could be read, so a caller never has to give up what it holds for a file that turns out to be
// broken.
TsplibLoad readTsplibFile(const std::string& fileName, TsplibFormat format,
                          const RunLimits& limits = {});

} // namespace komiwojazer
