#include "velmo_juce_numberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace velmoLib
{

juce::String formatStoredValue (float value)
{
    char text[64] {};
    const auto result = std::to_chars (text, text + sizeof (text) - 1, (double) value,
                                       std::chars_format::general, 20);
    return juce::String (text, (size_t) (result.ptr - text));
}

double readStoredDecimal (const juce::String& text)
{
    // The number starts where JUCE's reader starts, past whatever it takes for
    // blank space: vertical tabs, form feeds and whatever else the C library's
    // iswspace counts, not just spaces, tabs and line ends.
    std::string number (text.getCharPointer().findEndOfWhitespace().getAddress());

    // Find the exponent digits of the leading number and cut a run that could not
    // fit an int to a length that still overflows every double.
    size_t i = number[0] == '-' || number[0] == '+' ? 1 : 0;

    const auto isDigit = [&number] (size_t k) { return k < number.size() && number[k] >= '0' && number[k] <= '9'; };
    bool seenPoint = false;

    while (isDigit (i) || (! seenPoint && i < number.size() && number[i] == '.'))
    {
        if (number[i] == '.')
            seenPoint = true;
        ++i;
    }

    if (i < number.size() && (number[i] == 'e' || number[i] == 'E'))
    {
        size_t digits = i + 1;
        if (digits < number.size() && (number[digits] == '-' || number[digits] == '+'))
            ++digits;

        while (digits < number.size() && number[digits] == '0')
            ++digits;

        size_t end = digits;
        while (isDigit (end))
            ++end;

        constexpr size_t longestExponent = 6;
        if (end - digits > longestExponent)
            number.replace (digits, end - digits, "999999");
    }

    return juce::String (number.c_str()).getDoubleValue();
}

int readStoredInteger (const juce::String& text) noexcept
{
    auto s = text.getCharPointer().findEndOfWhitespace();
    const bool negative = *s == '-';

    if (negative || *s == '+')
        ++s;

    uint32_t value = 0;

    for (;;)
    {
        const auto c = s.getAndAdvance();

        if (c < '0' || c > '9')
            break;

        value = value * 10u + (uint32_t) (c - '0');
    }

    return (int) (negative ? 0u - value : value);
}

juce::String formatTwoDecimals (double value)
{
    const double magnitude = std::abs (value);

    // NaN, infinity and magnitudes beyond a 64-bit count of hundredths keep the
    // standard text; no parameter reaches them.
    if (! (magnitude < 1.0e15))
        return juce::String (value, 2);

    // A float widened to double times 100 and plus 0.5 is exact, so the
    // truncation rounds every half up and nothing else differently.
    const auto hundredths = (long long) (magnitude * 100.0 + 0.5);

    char text[32] {};
    std::snprintf (text, sizeof (text), "%s%lld.%02lld", value < 0.0 ? "-" : "", hundredths / 100, hundredths % 100);
    return juce::String (text);
}

} // namespace velmoLib
