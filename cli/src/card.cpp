#include "card.h"

#include <cstddef>

#include "halvo/set_file.h"

namespace halvo::cli {

std::vector<std::string> MountPoints(std::string_view mountinfo) {
    std::vector<std::string> out;
    while (!mountinfo.empty()) {
        const std::size_t end = mountinfo.find('\n');
        std::string_view line = mountinfo.substr(0, end);
        mountinfo = end == std::string_view::npos ? std::string_view() : mountinfo.substr(end + 1);
        // "36 35 98:0 /root /mnt/point rw,noatime ...": the fifth field.
        for (int field = 0; field < 4; ++field) {
            const std::size_t space = line.find(' ');
            line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
        }
        line = line.substr(0, line.find(' '));
        if (line.empty()) continue;
        std::string point;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const bool escape = line[i] == '\\' && i + 3 < line.size() && line[i + 1] >= '0' && line[i + 1] <= '3' &&
                                line[i + 2] >= '0' && line[i + 2] <= '7' && line[i + 3] >= '0' && line[i + 3] <= '7';
            if (escape) {
                point += static_cast<char>((line[i + 1] - '0') * 64 + (line[i + 2] - '0') * 8 + (line[i + 3] - '0'));
                i += 3;
            } else {
                point += line[i];
            }
        }
        out.push_back(std::move(point));
    }
    return out;
}

bool IsRemovableMount(std::string_view mountPoint, std::string_view user) {
    const std::size_t slash = mountPoint.rfind('/');
    if (slash == std::string_view::npos || slash + 1 == mountPoint.size()) return false;
    const std::string_view parent = mountPoint.substr(0, slash);
    const std::string u(user);
    return parent == "/media" || (!u.empty() && (parent == "/media/" + u || parent == "/run/media/" + u));
}

CardChoice ChooseCard(const Volumes& volumes) {
    CardChoice choice;
    choice.candidates = volumes.removable();
    if (choice.candidates.size() > 1) {
        std::vector<std::string> preferred;
        for (const std::string& volume : choice.candidates)
            if (volumes.holds(volume, "DCIM") || volumes.holds(volume, kSetFileName)) preferred.push_back(volume);
        if (!preferred.empty()) choice.candidates = std::move(preferred);
    }
    if (choice.candidates.size() == 1) choice.card = choice.candidates.front();
    return choice;
}

}  // namespace halvo::cli
