#pragma once

#include "graph/ArrayGraph.h"
#include "os/FileSystem.h"
#include "step/Outcome.h"
#include "step/RunLimits.h"

#include <cstdint>
#include <memory>
#include <string>

namespace komiwojazer {

// The two layouts of the TSPLIB format that the program reads.
enum class TsplibFormat {
    FullMatrix,  // EDGE_WEIGHT_FORMAT: FULL_MATRIX, then EDGE_WEIGHT_SECTION
    Euclidean2D, // EDGE_WEIGHT_TYPE: EUC_2D, then NODE_COORD_SECTION
};

// Why a file was refused.
enum class TsplibRefusal {
    None,              // it was not
    MissingFile,       // the file cannot be opened (or is not a regular file)
    UnsupportedFormat, // detail: the format value read
    MissingKeyword,    // detail: the keyword that the file ends before
    Incomplete,        // the file ends inside its data, or before a keyword's value, or is too
                       // short for the data its dimension promises
    InvalidDimension,  // detail: the dimension token, which is negative
};

// What a load has to show: the instance, or why there is none.
struct TsplibInstance {
    std::unique_ptr<ArrayGraph> graph;           // the new instance, when the load Finished
    std::int32_t dimension = 0;                  // its vertex count, as the success line shows it
    TsplibRefusal refusal = TsplibRefusal::None; // when the load was Refused
    std::string detail;                          // see TsplibRefusal
};

// Reads a whole instance file within the limits; a graph is returned only when every part of it
// could be read, so a caller never has to give up what it holds for a file that turns out to be
// broken.
Outcome<TsplibInstance> readTsplibFile(const std::string& fileName, TsplibFormat format,
                                       const RunLimits& limits = {},
                                       FileSystem& files = FileSystem::standard());

} // namespace komiwojazer
