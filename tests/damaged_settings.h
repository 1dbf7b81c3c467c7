// The damaged settings files of tests/data/damaged-settings.tsv and the
// values the profile reader gives for them, for the reader's unit tests and
// the program's end-to-end tests alike. The build names the table's path in
// MUSLOT_DAMAGED_SETTINGS.
#pragma once

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/settings.h"

namespace tests {

struct DamagedSettings {
    std::string name;
    app::Settings read;
    std::string bytes;
};

// The bytes an escaped field of the table stands for (its first lines tell
// the escapes).
inline std::string Unescape(const std::string& field) {
    auto bad = [&] { return std::runtime_error("damaged settings table: a bad escape in " + field); };
    std::string bytes;
    size_t group = std::string::npos;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            bytes += field[i];
            continue;
        }
        size_t used = 0;
        switch (++i < field.size() ? field[i] : '\\') {
        case 'r': bytes += '\r'; break;
        case 'n': bytes += '\n'; break;
        case 't': bytes += '\t'; break;
        case '0': bytes += '\0'; break;
        case 'x':
            bytes += static_cast<char>(std::stoi(field.substr(i + 1, 2), &used, 16));
            if (used != 2) throw bad();
            i += 2;
            break;
        case '(':
            if (group != std::string::npos) throw bad();
            group = bytes.size();
            break;
        case ')': {
            if (group == std::string::npos || field.compare(i + 1, 1, "*") != 0) throw bad();
            const std::string repeated = bytes.substr(group);
            bytes.resize(group);
            for (unsigned long n = std::stoul(field.substr(i + 2), &used); n > 0; --n) bytes += repeated;
            i += 1 + used;
            group = std::string::npos;
            break;
        }
        default: throw bad();
        }
    }
    if (group != std::string::npos) throw bad();
    return bytes;
}

inline std::vector<DamagedSettings> LoadDamagedSettings(const char* path = MUSLOT_DAMAGED_SETTINGS) {
    std::ifstream file(path, std::ios::binary);
    std::vector<DamagedSettings> cases;
    std::string line, escaped;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        DamagedSettings c;
        std::getline(fields, c.name, '\t');
        fields >> c.read.PosX >> c.read.PosY >> c.read.FitPos >> c.read.Language;
        if (!fields || fields.get() != '\t') throw std::runtime_error("damaged settings table: a bad line: " + line);
        escaped.clear();
        std::getline(fields, escaped);
        c.bytes = Unescape(escaped);
        cases.push_back(c);
    }
    if (cases.empty()) throw std::runtime_error(std::string("no damaged settings in ") + path);
    return cases;
}

}  // namespace tests
