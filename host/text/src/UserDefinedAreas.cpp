#include "UserDefinedAreas.h"

#include <cstdint>

namespace zeph::text::detail {
namespace {

// A block of pairs: each lead byte of the block with each trail byte of the run (0x7F is never a
// trail byte), numbered lead by lead from the block's first code point.
struct Block {
    unsigned char firstLead;
    unsigned char lastLead;
    unsigned char firstTrail;
    unsigned char lastTrail;
    std::uint16_t firstCodePoint;
};

// The three user-defined areas proper.
constexpr Block kAreas[] = {
    {0xAA, 0xAF, 0xA1, 0xFE, 0xE000},
    {0xF8, 0xFE, 0xA1, 0xFE, 0xE234},
    {0xA1, 0xA7, 0x40, 0xA0, 0xE4C6},
};

// The pairs left unassigned among the symbols (A2-A9), after the last hanzi of level two
// (D7FA-D7FE) and at FE50-FEA0; they follow the areas, numbered in this order from U+E766.
struct Run {
    unsigned char lead;
    unsigned char firstTrail;
    unsigned char lastTrail;
};

constexpr std::uint16_t kFirstUnassignedCodePoint = 0xE766;

constexpr Run kUnassigned[] = {
    {0xA2, 0xAB, 0xB0}, {0xA2, 0xE3, 0xE4}, {0xA2, 0xEF, 0xF0}, {0xA2, 0xFD, 0xFE},
    {0xA4, 0xF4, 0xFE}, {0xA5, 0xF7, 0xFE}, {0xA6, 0xB9, 0xC0}, {0xA6, 0xD9, 0xDF},
    {0xA6, 0xEC, 0xED}, {0xA6, 0xF3, 0xF3}, {0xA6, 0xF6, 0xFE}, {0xA7, 0xC2, 0xD0},
    {0xA7, 0xF2, 0xFE}, {0xA8, 0x96, 0xA0}, {0xA8, 0xBC, 0xBC}, {0xA8, 0xBF, 0xBF},
    {0xA8, 0xC1, 0xC4}, {0xA8, 0xEA, 0xFE}, {0xA9, 0x58, 0x58}, {0xA9, 0x5B, 0x5B},
    {0xA9, 0x5D, 0x5F}, {0xA9, 0x89, 0x95}, {0xA9, 0x97, 0xA3}, {0xA9, 0xF0, 0xFE},
    {0xD7, 0xFA, 0xFE}, {0xFE, 0x50, 0xA0},
};

// Maps the trail bytes of one lead from the code point given; returns the next code point.
std::uint16_t MapRun(CodePageMapping& mapping, unsigned lead, unsigned firstTrail,
                     unsigned lastTrail, std::uint16_t codePoint) {
    for (unsigned trail = firstTrail; trail <= lastTrail; ++trail) {
        if (trail == 0x7F) {
            continue;
        }
        mapping.decode[(lead - 0x81) * 192 + (trail - 0x40)] = codePoint;
        mapping.encode[codePoint] = static_cast<std::uint16_t>((lead << 8) | trail);
        ++codePoint;
    }
    return codePoint;
}

} // namespace

void AddUserDefinedAreas(CodePageMapping& mapping) {
    for (const Block& block : kAreas) {
        std::uint16_t codePoint = block.firstCodePoint;
        for (unsigned lead = block.firstLead; lead <= block.lastLead; ++lead) {
            codePoint = MapRun(mapping, lead, block.firstTrail, block.lastTrail, codePoint);
        }
    }
    std::uint16_t codePoint = kFirstUnassignedCodePoint;
    for (const Run& run : kUnassigned) {
        codePoint = MapRun(mapping, run.lead, run.firstTrail, run.lastTrail, codePoint);
    }
    // The host platform writes U+F8F5 as the single byte FF. Reading FF stays "?" everywhere:
    // host text takes no single byte but 80 for a character.
    mapping.encode[0xF8F5] = 0xFF;
}

} // namespace zeph::text::detail
