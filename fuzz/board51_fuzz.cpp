// Plays arbitrary bytes to board51's board as the host's side of the line:
// the first byte picks the loader, the line rate and the processor; the rest
// arrives in pieces, a millisecond apart, each piece's length taken from
// its first byte. Whatever arrives, the board answers within its bounds,
// and a program it runs cannot reach outside the simulated memories.
#include <cstddef>
#include <cstdint>

#include "virtual_board.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    static const int32_t kRates[] = {300, 9600, 115200, 256000};
    BoardOptionsType options;
    options.loaderType = data[0] & 3;
    options.lineRate = kRates[(data[0] >> 2) & 3];
    options.processorType = (data[0] >> 4) & 3;
    CVirtualBoard board(options);
    uint64_t nowUs = 0;
    size_t answered = 0;
    size_t i = 1;
    while (i < size) {
        const size_t piece = 1 + data[i] % 64;
        const size_t count = piece < size - i ? piece : size - i;
        board.FromHost(data + i, count, nowUs);
        i += count;
        nowUs += 1000;
        answered += board.Advance(nowUs, (data[i - 1] & 1) == 0).size();
        board.TakeNotes();
    }
    // Some silence: the program, if one runs, goes on alone.
    for (int ms = 0; ms < 5; ++ms) {
        nowUs += 10000;
        answered += board.Advance(nowUs).size();
    }
    // Answers are a few bytes for each byte received; the program's text
    // leaves at the line rate.
    const double programBytes = options.lineRate / 10.0 * static_cast<double>(nowUs) / 1e6;
    if (answered > 16 * size + static_cast<size_t>(programBytes) + 64) {
        __builtin_trap();
    }
    return 0;
}
