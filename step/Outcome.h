#pragma once

namespace komiwojazer {

// How a long step (a search, a load, the measurement series) ended. A step that did not finish
// may still have something to show: a tabu search stopped by Ctrl-C keeps its best route.
enum class Ending {
    Finished,    // the step did all its work
    OutOfMemory, // what it needed did not fit its memory budget
    Interrupted, // its cancel flag stopped it
    Refused,     // its input was refused; its result says why
};

// What a long step returns: how it ended, and what it has to show for it.
template <typename Result> struct Outcome {
    Ending ending = Ending::Finished;
    Result result{};
};

} // namespace komiwojazer
