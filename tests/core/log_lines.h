// A log's text as lines, so that tests compare them exactly.
#pragma once
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// The complete ("\r\n"-ended) lines of a log, each "<milliseconds>:" time stamp replaced by "T".
inline Lines LinesWithoutStamps(const std::string& text)
{
    Lines lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = text.substr(start, end - start);
        const size_t digits = line.find_first_not_of("0123456789");
        if (digits > 0 && digits != std::string::npos && line[digits] == ':') line.replace(0, digits, "T");
        lines.push_back(line);
    }
    return lines;
}
