#pragma once

#include <juce_core/juce_core.h>

namespace velmoLib
{

/** A normalised value as stored in the host state and in preset files: the
    float widened to double with 20 significant digits in general notation,
    independent of the host's locale, so reading it back gives the same float. */
juce::String formatStoredValue (float value);

/** A stored decimal number read as JUCE reads one (leading blanks, sign, digits,
    point, exponent; no number reads as 0), except that an absurdly long exponent,
    which JUCE's reader would overflow on, is taken at a size with the same result:
    zero or infinity. */
double readStoredDecimal (const juce::String& text);

/** A stored integer: leading blanks, an optional sign ("+74" is 74, "-1" is -1),
    the leading digits; none read as 0. It wraps on overflow as JUCE's reader does
    but without its undefined negation of the smallest int. */
int readStoredInteger (const juce::String& text) noexcept;

/** A display value with exactly two decimals, halves rounded away from zero: the
    magnitude times 100 plus 0.5, truncated, with a "-" before any value below
    zero (also one that reads 0.00). The standard library's fixed notation would
    round an exact half to the even digit (0.125 as "0.12"). */
juce::String formatTwoDecimals (double value);

} // namespace velmoLib
