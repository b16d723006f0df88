#include "wheel_writer.h"

namespace {

std::string one_line(const std::string& text, const char* empty) {
    std::string out;
    for (char c : text) out += c == '#' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '_' : c;
    // leading and trailing blanks are not kept by the reader
    const std::size_t a = out.find_first_not_of(' '), b = out.find_last_not_of(' ');
    return a == std::string::npos ? empty : out.substr(a, b - a + 1);
}

}  // namespace

std::string degrees_text(int32_t millidegrees) {
    const std::string part = std::to_string(1000 + millidegrees % 1000).substr(1);
    return std::to_string(millidegrees / 1000) + "." + part;
}

std::string wheel_file_text(const wheel_file& w) {
    std::string out = "orix-wheel " + std::to_string(wheel_file_version) + "\n";
    out += "name " + one_line(w.name, "unnamed wheel") + "\n";
    if (!w.source.empty()) out += "source " + one_line(w.source, "unknown") + "\n";
    out += "cycle " + std::to_string(w.cycle) + "\n";
    for (const wheel_tooth& t : w.crank)
        out += "crank tooth " + degrees_text(t.rise) + " " + degrees_text(t.fall) + (t.full ? " full" : "") + "\n";
    for (const wheel_tooth& t : w.cam) out += "cam tooth " + degrees_text(t.rise) + " " + degrees_text(t.fall) + "\n";
    return out;
}
