#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>

namespace komiwojazer {

// A route under construction as two parallel arrays of exactly getSize() entries: the vertices in
// route order and, for each, the weight of the edge that arrives at it (0 for the first). Every
// change of length allocates both arrays anew, so the record never holds spare capacity.
// Indices are not checked: REQUIRES 0 <= index < getSize() wherever an index is taken.
class Path {
public:
    Path() = default;
    Path(const Path&) = delete;
    Path& operator=(const Path&) = delete;
    // A moved-from record is empty.
    Path(Path&& other) noexcept;
    Path& operator=(Path&& other) noexcept;
    ~Path() = default;

    // Appends vertex, reached over an edge of the given weight.
    void addVertex(std::int32_t vertex, std::int32_t weight);
    // Drops the entry at index and closes the gap; does nothing on an empty record.
    void removeVertex(std::int32_t index);
    // Leaves the record empty, without arrays.
    void clear();

    [[nodiscard]] std::int32_t getVertex(std::int32_t index) const { return vertices[index]; }
    [[nodiscard]] std::int32_t getEdgeWeight(std::int32_t index) const { return weights[index]; }
    [[nodiscard]] std::int32_t getSize() const { return size; }
    // Sum of the vertex numbers, wrapping like 32-bit two's complement; 0 when empty.
    [[nodiscard]] std::int32_t getVertexSum() const;
    // Sum of the weights, which is the length of the route held; wraps like getVertexSum.
    [[nodiscard]] std::int32_t getLength() const;

    // One line "vertex: weight" per entry, then an empty line; flushes after every line.
    void printPath(std::ostream& out) const;

private:
    std::int32_t size = 0;                    // entries in each array
    std::unique_ptr<std::int32_t[]> vertices; // route order; null when empty
    std::unique_ptr<std::int32_t[]> weights;  // weights[k] arrives at vertices[k]; null when empty
};

} // namespace komiwojazer
