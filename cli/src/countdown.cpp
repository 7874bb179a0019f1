#include "countdown.h"

#include <string>

namespace halvo::cli {

using namespace std::chrono;

bool CountDown(system_clock::time_point moment, const Clock& clock, Console& console) {
    // A line rewritten in place on a terminal; a log gets a line every ten seconds.
    constexpr seconds kLogEvery{10};
    std::size_t shown = 0;
    bool first = true;
    for (system_clock::time_point now = clock.now(); now < moment; now = clock.now()) {
        const seconds left = ceil<seconds>(moment - now);
        const std::string line = "switch the camera on in " + std::to_string(left.count()) + " s";
        if (console.err_is_terminal) {
            console.err << '\r' << line << std::string(shown > line.size() ? shown - line.size() : 0, ' ')
                        << std::flush;
            shown = line.size();
        } else if (first || left % kLogEvery == seconds::zero()) {
            console.err << line << std::endl;
        }
        first = false;
        // Wake at each whole second before the moment, so the count steps exactly then.
        if (!clock.wait_until(moment - (left - seconds(1)))) {
            if (shown > 0) console.err << '\n';
            return false;
        }
    }
    if (shown > 0) console.err << '\r' << std::string(shown, ' ') << '\r' << std::flush;
    console.out << "switch the camera on now" << std::endl;
    return true;
}

}  // namespace halvo::cli
