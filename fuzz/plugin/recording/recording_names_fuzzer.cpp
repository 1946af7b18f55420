// Names and dates of recordings as the servers hand them over: any serial number and remote
// file name give a proposed local name that is a plain name (no separator at a character
// boundary, no "/" byte at all), and any date text is shown either as it is or as "YYYY-MM-DD
// HH:MM:SS".
#include "recording/RecordingDownload.h"
#include "recording/untSelRecodFile.h"

#include <zeph/text/HostText.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\n');
    const std::string serial = cut == std::string::npos ? std::string() : input.substr(0, cut);
    const std::string remote = cut == std::string::npos ? input : input.substr(cut + 1);

    const std::string name = morvane::recording::DefaultLocalName(serial, remote);
    // "/" is never part of a double-byte character; "\\" only as a trail byte.
    if (name.find('/') != std::string::npos) {
        std::abort();
    }
    for (std::size_t pos = 0; pos < name.size(); ++pos) {
        const auto c = static_cast<unsigned char>(name[pos]);
        if (c == '\\' &&
            (pos == 0 || !zeph::text::IsLeadByte(static_cast<unsigned char>(name[pos - 1])))) {
            std::abort();
        }
        if (zeph::text::IsLeadByte(c) && pos + 1 < name.size() && name[pos + 1] == '\\') {
            ++pos; // a double-byte character whose trail byte is "\\"
        }
    }

    const std::string shown = morvane::recording::FormatConveyDate(input);
    if (shown != input && (shown.size() != 19 || shown[4] != '-' || shown[10] != ' ')) {
        std::abort();
    }
    return 0;
}
