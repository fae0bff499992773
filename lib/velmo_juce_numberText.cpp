#include "velmo_juce_numberText.h"

#include <charconv>

namespace velmoLib
{

juce::String formatStoredValue (float value)
{
    char text[64] {};
    const auto result = std::to_chars (text, text + sizeof (text) - 1, (double) value,
                                       std::chars_format::general, 20);
    return juce::String (text, (size_t) (result.ptr - text));
}

} // namespace velmoLib
