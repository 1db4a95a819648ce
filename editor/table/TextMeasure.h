// Width of a cell text in the grid's font, as a table of advances per byte value summed over the
// text. The window fills it from its font once; measuring a field is then a few additions.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tavrel {

struct TextMeasure {
    std::array<std::uint16_t, 256> advance{};

    // Every byte the same width: for tools without a font.
    static TextMeasure Uniform(std::uint16_t width) {
        TextMeasure m;
        m.advance.fill(width);
        return m;
    }

    std::uint64_t Width(std::string_view text) const {
        std::uint64_t width = 0;
        for (const char c : text)
            width += advance[static_cast<unsigned char>(c)];
        return width;
    }
};

}  // namespace tavrel
