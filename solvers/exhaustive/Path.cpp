#include "solvers/exhaustive/Path.h"

#include "solvers/UnsetArray.h"

#include <algorithm>
#include <ostream>
#include <utility>

namespace komiwojazer {
namespace {

// Sums in unsigned arithmetic so that an overflow wraps instead of being undefined.
std::int32_t wrappingSum(const std::int32_t* values, std::int32_t count) {
    std::uint32_t sum = 0;
    for (std::int32_t k = 0; k < count; ++k) {
        sum += static_cast<std::uint32_t>(values[k]);
    }
    return static_cast<std::int32_t>(sum);
}

} // namespace

Path::Path(Path&& other) noexcept
    : size(std::exchange(other.size, 0)), vertices(std::move(other.vertices)),
      weights(std::move(other.weights)) {}

Path& Path::operator=(Path&& other) noexcept {
    size = std::exchange(other.size, 0);
    vertices = std::move(other.vertices);
    weights = std::move(other.weights);
    return *this;
}

void Path::addVertex(std::int32_t vertex, std::int32_t weight) {
    auto newVertices = makeUnsetArray<std::int32_t>(size + 1);
    auto newWeights = makeUnsetArray<std::int32_t>(size + 1);
    std::copy_n(vertices.get(), size, newVertices.get());
    std::copy_n(weights.get(), size, newWeights.get());
    newVertices[size] = vertex;
    newWeights[size] = weight;
    vertices = std::move(newVertices);
    weights = std::move(newWeights);
    ++size;
}

void Path::removeVertex(std::int32_t index) {
    if (!vertices || !weights) {
        return;
    }
    const std::int32_t newSize = size - 1;
    if (newSize == 0) {
        clear();
        return;
    }
    auto newVertices = makeUnsetArray<std::int32_t>(newSize);
    auto newWeights = makeUnsetArray<std::int32_t>(newSize);
    std::copy_n(vertices.get(), index, newVertices.get());
    std::copy_n(weights.get(), index, newWeights.get());
    std::copy(vertices.get() + index + 1, vertices.get() + size, newVertices.get() + index);
    std::copy(weights.get() + index + 1, weights.get() + size, newWeights.get() + index);
    vertices = std::move(newVertices);
    weights = std::move(newWeights);
    size = newSize;
}

void Path::clear() {
    if (!vertices || !weights) {
        return;
    }
    vertices.reset();
    weights.reset();
    size = 0;
}

std::int32_t Path::getVertexSum() const {
    return wrappingSum(vertices.get(), size);
}

std::int32_t Path::getLength() const {
    return wrappingSum(weights.get(), size);
}

void Path::printPath(std::ostream& out) const {
    for (std::int32_t k = 0; k < size; ++k) {
        out << vertices[k] << ": " << weights[k] << '\n' << std::flush;
    }
    out << '\n' << std::flush;
}

} // namespace komiwojazer
