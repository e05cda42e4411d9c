#pragma once

#include "solvers/branchandbound/ChunkedArray.h"

#include <cstddef>

namespace komiwojazer {

// Binary min-heap of entries on their key. Push and pop follow the steps of the common array heap
// (sift up past strictly greater parents; on pop, walk the hole down preferring the right child on
// equal keys, then sift the last entry up), so equal keys leave in one fixed order, on which the
// route returned among equally short ones depends.
template <typename Entry> class NodeQueue {
public:
    explicit NodeQueue(StorageBudget& budget) : entries(budget) {}

    [[nodiscard]] bool empty() const { return entries.size() == 0; }
    [[nodiscard]] std::size_t size() const { return entries.size(); }
    // REQUIRES: !empty().
    [[nodiscard]] const Entry& top() const { return entries[0]; }

    // Inserts entry; false, with the queue unchanged, when it does not fit the budget.
    [[nodiscard]] bool tryPush(const Entry& entry) {
        if (!entries.tryPushBack(entry)) {
            return false;
        }
        siftUp(entries.size() - 1, entry);
        return true;
    }

    // Removes the top entry. REQUIRES: !empty().
    void pop() {
        const std::size_t count = entries.size();
        if (count >= 2) {
            const Entry last = entries[count - 1];
            const std::size_t len = count - 1;
            std::size_t hole = 0;
            while (hole < (len - 1) / 2) {
                std::size_t child = 2 * hole + 2;
                if (entries[child].key > entries[child - 1].key) {
                    --child;
                }
                entries[hole] = entries[child];
                hole = child;
            }
            if (len % 2 == 0 && hole == (len - 2) / 2) {
                const std::size_t child = 2 * hole + 1;
                entries[hole] = entries[child];
                hole = child;
            }
            siftUp(hole, last);
        }
        entries.popBack();
    }

private:
    // Puts entry into the free position hole after moving every strictly greater ancestor down.
    void siftUp(std::size_t hole, const Entry& entry) {
        while (hole > 0) {
            const std::size_t parent = (hole - 1) / 2;
            if (!(entries[parent].key > entry.key)) {
                break;
            }
            entries[hole] = entries[parent];
            hole = parent;
        }
        entries[hole] = entry;
    }

    ChunkedArray<Entry> entries; // position 0 is the top; children of p at 2p+1 and 2p+2
};

} // namespace komiwojazer
